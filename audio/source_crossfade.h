#pragma once

// A recording that is being replaced while it plays: the old samples fade
// out while the new ones fade in, over kSamples, so that the change makes no
// click. It follows the mixer's rewinds, and lets go of the old samples once
// the fade lies wholly behind the mixer.
class CSourceCrossfade {
public:
    static constexpr int kSamples = 2048;  // 46 ms

    CSourceCrossfade() = default;
    CSourceCrossfade(const CSourceCrossfade&) = delete;
    CSourceCrossfade& operator=(const CSourceCrossfade&) = delete;
    ~CSourceCrossfade() { delete[] m_old; }

    // Takes over the old samples (a new[] buffer) and where they were read.
    void Start(short* old, int length, int position);
    bool Active() const { return m_old != nullptr; }
    // Ends the fade at once and frees the old samples.
    void Stop();

    // Mixes `count` samples of the fade into `buffer`, the new recording
    // read from `samples` (of `length`) at `position`, which moves on.
    void Mix(short* buffer, int count, const short* samples, int length, int& position);
    void Rewind(int back);
    // Frees the old samples once the fade is over and cannot be read again.
    void FinishIfDone();

private:
    short* m_old = nullptr;
    int m_length = 0;
    int m_position = 0;
    int m_done = 0;  // samples of the fade mixed so far
};
