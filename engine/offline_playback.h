#pragma once

#include "loss_processor.h"
#include "virtual_wave_out.h"

#include <functional>

// Runs the program's playback cycle on a virtual device, as fast as it goes:
// switches playback on for the sources that are on (four blocks), then lets
// the device finish one buffer at a time and delivers its reports (one more
// block per finished buffer), until `enough` says so or nothing is left to
// play. `g_memPlay` uses `device` meanwhile and is closed at the end.
void RunOfflinePlayback(CLossProcessor& processor, CManualWaveOut& device, const std::function<bool()>& enough);
