#pragma once

#include "ear_chain.h"
#include "frame_geometry.h"
#include "loss_settings.h"
#include "smear_kernel.h"

#include <memory>

class CLossProcessor;

// What the live path is handed when the window's settings change: the
// settings value and every table derived from it, built on the window's
// thread. The sound thread takes it between two hops
// (CLossProcessor::TakeSettings) and leaves it holding the tables it
// replaced, to be freed back on the window's thread.
class CLiveSettings {
public:
    // The settings of the window's processor, the gain curve it last painted
    // and the listening level's gain for its speech recording.
    explicit CLiveSettings(const CLossProcessor& window);
    CLiveSettings(const CLiveSettings&) = delete;
    CLiveSettings& operator=(const CLiveSettings&) = delete;

    const LossSettings& Value() const { return m_value; }

private:
    friend class CLossProcessor;

    LossSettings m_value;
    float m_fHighFreqGain[FrameGeometry::kFrameSize];
    int m_nSmearLow[FrameGeometry::kBins];
    int m_nSmearHigh[FrameGeometry::kBins];
    CSmearKernel m_smear;  // the slider's
    float m_fPresentationGain = 1.0f;
    std::unique_ptr<CEarChain> m_ears[2];
};
