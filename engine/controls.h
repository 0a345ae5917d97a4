#pragma once

#include "source_bank.h"

#include <functional>

class CLossProcessor;

// The sources' switches and the three sliders of a processor, as the user
// changes them: by key, pointer or screen reader in the window, by options
// in the tools. It refuses what no control can set (a setting off its
// track, a switch while live sound holds the sources), rebuilds at once what
// a change needs at once (the smearing table; the gain curve follows at the
// next paint) and tells its listener what changed.
class CControls {
public:
    // Parts, as the listener is told them: the sources 0 to 2, then the
    // sliders (loudness, high frequencies, resolution).
    static constexpr int kFirstSlider = kSourceCount;
    enum Slider { kLoudness, kHighFreq, kResolution, kSliderCount };

    explicit CControls(CLossProcessor& processor);
    CControls(const CControls&) = delete;
    CControls& operator=(const CControls&) = delete;

    // Called with the part after every change.
    void SetListener(std::function<void(int part)> listener) { m_listener = std::move(listener); }

    bool SourceOn(int source) const;
    // False, changing nothing, while the sources are held.
    bool ToggleSource(int source);
    bool SetSourceOn(int source, bool on);

    // From 0 (the strongest loss) to 1 (none).
    double Value(int slider) const;
    // False, changing nothing, for a value off the track (NaN included) or
    // the one it has.
    bool SetValue(int slider, double value);
    // By `step`, stopping at the track's ends.
    bool Step(int slider, double step);

    // Live sound holds the sources: each is off, and takes no switch, until
    // they are released as they were.
    void HoldSources();
    void ReleaseSources();
    // A source that played when they were held, and waits.
    bool Waiting(int source) const { return m_bHeld && m_bOnBeforeHold[source]; }

private:
    double& Setting(int slider) const;
    void Changed(int part) const;

    CLossProcessor& m_processor;
    std::function<void(int)> m_listener;
    bool m_bHeld = false;
    bool m_bOnBeforeHold[kSourceCount] = {};
};
