#pragma once

#include "loss_processor.h"
#include "render_options.h"

// Loads the three recordings named in the options, as the program loads its
// own (failures are reported and leave a source absent).
void LoadRecordings(const RenderOptions& options, CSourceBank& sources);

// Brings the processing state where the program's is after a user has set the
// sliders and switched the sources on: the first paint builds the gain curve
// at the initial settings, then the sliders are set, the smearing table
// follows at once and the gain curve at the paint after, then the sources go on.
void SetUpAsTheUserWould(const RenderOptions& options, CLossProcessor& processor);
