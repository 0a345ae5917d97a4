#pragma once

#include "frame_geometry.h"
#include "implant_settings.h"
#include "joined_frames.h"

#include <cstdint>

// A cochlear implant in the frame loop, as research simulates one with a
// vocoder: the frame's spectrum split into channels equally spaced in
// cochlear place over the analysed range; each channel's power, smoothed
// to the envelope's cut-off, carried on noise filling, or a sine at the
// centre of, the band at the same place shifted towards the base by the
// electrodes' shift; optionally only the strongest n channels each frame,
// and each channel's current spreading into its neighbours' places. With no
// shift and no spread a channel's output power equals its band's input
// power. Built off the sound thread; processing never allocates, and its
// noise is a fixed sequence per frame, so both paths give the same sound.
class CImplantStage {
public:
    static constexpr int kFrameSize = FrameGeometry::kFrameSize;
    static constexpr int kBins = FrameGeometry::kBins;
    static constexpr int kMaxChannels = ImplantSettings::kMostChannels;

    // The frame's analysis window (`analysisLength` samples in the middle of
    // the frame) and its synthesis window: the carriers' levels follow from them.
    CImplantStage(const float* analysisWindow, int analysisLength, const float* synthesisWindow);

    // The implant's settings, valid (see ImplantSettingsProblem); null for none.
    void Build(const ImplantSettings* settings);
    bool Active() const { return m_built.active; }
    const ImplantSettings& Settings() const { return m_built.settings; }
    // Takes another stage's settings and tables; the envelopes and the
    // carriers' phases carry on. Never allocates.
    void TakeSettings(const CImplantStage& from);

    // Replaces a packed spectrum (float 0 DC, float 1 half the sampling
    // rate, bin k in 2k, 2k+1) by what the implant makes of it.
    void Process(float* spectrum);

    // The channels' centre frequencies as analysed, and where their carriers lie.
    double AnalysisCentreHz(int channel) const { return m_built.analysisCentreHz[channel]; }
    double CarrierHz(int channel) const { return m_built.carrierHz[channel]; }

private:
    // A bin's share in a channel's band: the part of the bin's width inside
    // it, and that part's root (a carrier's amplitude goes with it).
    struct BinShare {
        int channel;
        int bin;
        float weight;
        float root;
    };
    static int ShareBins(const double* edges, int channels, BinShare* shares);
    double SpilledBeyond(double binsFromEdge) const;
    void KeepSpillAtTheOuterEdges(const double* shiftedEdges);
    void BuildSine(int channel);
    void AddSineCarriers(const double* power, float* spectrum);
    void AddNoiseCarriers(const double* power, float* spectrum);

    // From the windows.
    float m_analysisWindow[FrameGeometry::kFrameInput] = {};
    double m_analysisEnergy = 0.0;        // Σ w_a²
    double m_noiseGain = 1.0;             // a random-phase frame's power, as overlap-add hears it, re the input's
    double m_joinedScale = 1.0;           // Σ w_a² / Σ w_j²: the joined frames' power as a frame's
    static constexpr int kSineReach = 8;  // bins either side
    // The share of a noise carrier bin's power that the synthesis window
    // spreads beyond a given distance from the bin's centre, on one side, in
    // steps of 1/kSpillSteps bin; beyond kSpillReach bins next to none.
    static constexpr int kSpillSteps = 16;
    static constexpr int kSpillReach = 8;
    double m_spilledBeyond[kSpillReach * kSpillSteps + 1] = {};
    static constexpr int kSineBins = 2 * kSineReach + 1;
    // What the settings make, taken whole by another stage.
    struct Tables {
        bool active = false;
        ImplantSettings settings;
        int channels = 0;
        double analysisCentreHz[kMaxChannels] = {};
        double carrierHz[kMaxChannels] = {};
        BinShare analysis[2 * kBins + kMaxChannels] = {};
        int analysisShares = 0;
        BinShare carrier[2 * kBins + kMaxChannels] = {};
        int carrierShares = 0;
        // Channels narrower than a frame resolves are read through three
        // frames joined, kept up to the highest such channel's bins.
        bool joined[kMaxChannels] = {};
        int joinedBins = 0;
        // Σ of the carrier band's shares, less what the outermost channels
        // spill beyond the carriers' range
        double carrierWidth[kMaxChannels] = {};
        double spread[kMaxChannels][kMaxChannels] = {};  // power from channel c at channel j's place
        // The envelope's low-pass, a second-order Butterworth at the frame rate;
        // none where the cut-off is near half the frame rate, beyond which the
        // frames themselves carry no modulation.
        bool smoothing = false;
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
        // Each sine carrier as a frame sees it: the spectrum of the windowed
        // cosine and sine of its frequency from phase 0, in the bins around it
        // (beyond them the window's side lobes are far below hearing).
        int sineFirstBin[kMaxChannels] = {};
        float sineCos[kMaxChannels][kSineBins][2] = {};
        float sineSin[kMaxChannels][kSineBins][2] = {};
        // The turn each sine's phase takes from one frame to the next.
        double hopTurn[kMaxChannels][2] = {};
    };
    Tables m_built;

    // Carried from frame to frame: the last frames, each channel's last two powers and envelopes.
    CJoinedFrames<kBins> m_joinedFrames;
    double m_powerBefore[kMaxChannels][2] = {};
    double m_envelopeBefore[kMaxChannels][2] = {};
    double m_envelope[kMaxChannels] = {};
    // Each sine's phase at the frame's first sample, as cos and sin.
    double m_phasor[kMaxChannels][2] = {};
    std::uint64_t m_frame = 0;
};
