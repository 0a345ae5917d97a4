#pragma once

#include "live_stream.h"

#include <QString>

// Why live sound did not start, in German: what happened and what to do,
// PortAudio's own words in parentheses.
QString LiveOpenMessage(const LiveOpenError& error);

// The sound server did not answer in time: what the window says.
QString SoundServerSilentMessage();
