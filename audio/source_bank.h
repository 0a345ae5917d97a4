#pragma once

#include "source_crossfade.h"

// The three looping recordings: 0 speech, 1 music, 2 noise.
constexpr int kSourceCount = 3;

// The bundled recordings' file names.
constexpr const char* kSourceFileName[kSourceCount] = {"sprache.wav", "music.wav", "noise.wav"};

// The loudest sample of each recording is scaled to this magnitude; the
// three add up to 30000, so that their sum always fits in 16 bits.
constexpr int kSourceTargetPeak[kSourceCount] = {15000, 10000, 5000};

// Samples by which consecutive blocks overlap: the mixer is moved back by this
// much after every block.
constexpr int kSourceRewind = 128;

struct CSourceBank {
    short* m_pSourceData[kSourceCount] = {nullptr, nullptr, nullptr};
    int m_nSourceLen[kSourceCount] = {0, 0, 0};  // 0: the source is absent
    int m_nSourcePos[kSourceCount] = {0, 0, 0};  // next sample the mixer reads

    CSourceBank() = default;
    CSourceBank(const CSourceBank&) = delete;
    CSourceBank& operator=(const CSourceBank&) = delete;
    ~CSourceBank() { FreeSources(); }

    // Loads the three recordings (speech, music, noise) from these files;
    // a file that fails to load is reported and leaves its source absent.
    void LoadSources(const char* const* paths);

    // Adds `count` samples of every switched-on, present source into `buffer`,
    // looping, and moves their read positions on.
    void MixSources(const int* sourceOn, short* buffer, int count);

    // Moves every switched-on, present source back by kSourceRewind samples,
    // modulo its length.
    void RewindSources(const int* sourceOn);

    // Frees every loaded recording; the bank is empty afterwards.
    void FreeSources();

    // Puts `samples` (a new[] buffer of `length`) in place of a recording,
    // from its start. One that is `playing` (switched on) fades over into it
    // between blocks; otherwise the old recording is freed at once, and the
    // new one starts unfaded when the source is switched on.
    void ReplaceSource(int source, short* samples, int length, bool playing);
    bool Fading(int source) const { return m_fade[source].Active(); }

    // Measured when a recording is loaded or replaced: a number that changes
    // with every recording and never repeats, so that what is derived from a
    // recording can tell it is current; its active speech level in dB FS
    // (-100 for none) and its loudest sample's magnitude.
    unsigned long long Serial(int source) const { return m_serial[source]; }
    double ActiveLevelDbFs(int source) const { return m_activeLevelDbFs[source]; }
    int PeakMagnitude(int source) const { return m_peakMagnitude[source]; }

private:
    void Measure(int source);

    CSourceCrossfade m_fade[kSourceCount];
    unsigned long long m_nextSerial = 1;
    unsigned long long m_serial[kSourceCount] = {0, 0, 0};
    double m_activeLevelDbFs[kSourceCount] = {-100.0, -100.0, -100.0};
    int m_peakMagnitude[kSourceCount] = {0, 0, 0};
};
