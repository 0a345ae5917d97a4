#pragma once

#include "frame_geometry.h"
#include "hearing_intelligibility.h"
#include "source_bank.h"

#include <optional>

class CLossProcessor;

// The speech intelligibility index of what the recordings play: the speech
// recording is the signal, the music and the background noise are the
// noise. After every block it measures what the block played of each, in
// the standard's one-third-octave bands at each ear as the ear's filters
// read it (the listening level, the sliders' filter curve and the ear's aid
// applied, before the loss), in dB SPL under the calibration. The index
// comes from the long-term mean power over the last 4 s, or over everything
// measured; each ear's threshold is its audiogram's while its loss is heard.
// Runs where the blocks are made, never on the live path.
class CSpeechMeter {
public:
    static constexpr int kRecentBlocks = 45;  // 45 blocks of 3968 samples: 4.05 s
    static constexpr int kFftPoints = 4096;   // 10.8 Hz apart: three bins in the 160 Hz band

    explicit CSpeechMeter(const CSourceBank& sources);
    CSpeechMeter(const CSpeechMeter&) = delete;
    CSpeechMeter& operator=(const CSpeechMeter&) = delete;

    // After a block of the recordings: what it played of each source (the
    // kBlockOutput samples before each source's position) and the gains
    // before each ear then.
    void Measure(const CLossProcessor& processor);
    // Everything measured forgotten.
    void Clear();

    struct Reading {
        bool speech = false;  // speech played in the time measured
        // As heard: each ear with its aid while the aid is heard.
        EarsIndex heard;
        EarsIndex unaided;
        std::optional<EarsIndex> aided;  // while either ear has an aid fitted
    };
    // Over the last 4 s, and over everything measured.
    Reading Recent() const { return Read(m_recent); }
    Reading Whole() const { return Read(m_whole); }

private:
    enum Part { kSpeech, kNoise, kParts };
    enum Aid { kUnaided, kAided, kAidStates };
    // Power per band at each ear, with and without its aid, relative to
    // the power of 0 dB SPL.
    struct Powers {
        double band[kParts][2][kAidStates][Sii::kBands] = {};
    };
    struct Sums {
        Powers total;
        int blocks = 0;
    };

    // Band powers of a block of a source mix, relative to digital full scale.
    void BandPowers(const short* samples, double* powers) const;
    // The samples the block played of the sources in `on`, mixed.
    void PlayedBefore(const int* on, short* mix) const;
    Reading Read(const Sums& sums) const;

    const CSourceBank& m_sources;
    float m_window[FrameGeometry::kBlockOutput];
    double m_windowPower = 0.0;
    int m_firstBin[Sii::kBands + 1] = {};
    Powers m_ring[kRecentBlocks];
    int m_next = 0;  // where the next block goes: the oldest once the ring is full
    Sums m_recent;
    Sums m_whole;
    // As the last block had them.
    Sii::Bands m_threshold[2] = {};
    bool m_aidFitted[2] = {false, false};
    bool m_aidHeard[2] = {false, false};
};
