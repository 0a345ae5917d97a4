#pragma once

// An auditory filter's envelope: its amplitude low-passed once a frame. The
// one-pole low-pass runs twice, because a zero-phase low-pass (run forward
// and backward) squares a filter's magnitude, and two passes forward give
// that magnitude while staying causal.
class CEnvelopeLowPass {
public:
    // The cut-off in Hz at `framesPerSecond` steps per second.
    void SetCutOff(double cutOffHz, double framesPerSecond);
    void Reset(double amplitude) { m_half = m_amplitude = amplitude; }
    double Amplitude() const { return m_amplitude; }
    // One frame: the envelope after the amplitude measured.
    double Next(double measured)
    {
        m_half = measured + m_keep * (m_half - measured);
        m_amplitude = m_half + m_keep * (m_amplitude - m_half);
        return m_amplitude;
    }

private:
    double m_keep = 0.0;       // the share kept per frame and pass
    double m_half = 0.0;       // after the first pass
    double m_amplitude = 0.0;  // after both
};
