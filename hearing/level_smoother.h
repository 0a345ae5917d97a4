#pragma once

// A level in dB that follows its input quickly upward (attack) and slowly
// downward (release), one step per frame, as a first-order average with
// each direction's time constant.
class CLevelSmoother {
public:
    // Time constants in seconds at `framesPerSecond` steps per second.
    void SetTimes(double framesPerSecond, double attackSeconds, double releaseSeconds);
    void Reset(double level) { m_level = level; }
    double Level() const { return m_level; }
    // One frame: the new smoothed level for the measured one.
    double Next(double measured);

private:
    double m_attack = 0.0;   // the share of the old level kept per frame, rising
    double m_release = 0.0;  // the same, falling
    double m_level = 0.0;
};
