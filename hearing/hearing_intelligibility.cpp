#include "hearing_intelligibility.h"

#include <algorithm>
#include <cmath>

Sii::Bands SiiThresholds(const CAudiogram* audiogram)
{
    Sii::Bands threshold{};
    if (audiogram)
        for (int i = 0; i < Sii::kBands; ++i)
            threshold[i] = audiogram->LevelAt(Sii::kCentreHz[i]);
    return threshold;
}

Sii::Bands AidInsertionGain(const CAidFitting& fitting, const Sii::Bands& speech)
{
    Sii::Bands gain{};
    for (int i = 0; i < Sii::kBands; ++i)
        gain[i] = fitting.Gain(Sii::kCentreHz[i], speech[i] + Sii::BandwidthDb(i));
    return gain;
}

EarsIndex IndexOfEars(const Sii::Bands speech[2], const Sii::Bands noise[2], const Sii::Bands threshold[2])
{
    EarsIndex index;
    Sii::Bands binaural[2];
    for (int e = 0; e < 2; ++e) {
        (e == static_cast<int>(Ear::Left) ? index.left : index.right) = Sii::Index(speech[e], noise[e], threshold[e]);
        Sii::Bands lowered = threshold[e];
        for (double& t : lowered)
            t -= Sii::kBinauralAllowance;
        binaural[e] = Sii::BandAudibility(speech[e], noise[e], lowered);
    }
    Sii::Bands better{};
    for (int i = 0; i < Sii::kBands; ++i)
        better[i] = std::max(binaural[0][i], binaural[1][i]);
    index.both = Sii::Index(better);
    return index;
}

Sii::Bands StandardSpeechAt(Sii::VocalEffort effort, double distanceM)
{
    Sii::Bands speech = Sii::StandardSpeech(effort);
    const double loss = 20.0 * std::log10(distanceM);
    for (double& level : speech)
        level -= loss;
    return speech;
}

EarsIndex StandardSpeechIndex(const ListenerEars& ears, Sii::VocalEffort effort, double distanceM)
{
    const Sii::Bands free = StandardSpeechAt(effort, distanceM);
    Sii::Bands speech[2] = {free, free};
    Sii::Bands noise[2];
    Sii::Bands threshold[2];
    for (int e = 0; e < 2; ++e) {
        noise[e].fill(Sii::kQuietNoise);
        threshold[e] = SiiThresholds(ears.audiogram[e]);
        if (ears.aid[e]) {
            const Sii::Bands gain = AidInsertionGain(*ears.aid[e], free);
            for (int i = 0; i < Sii::kBands; ++i)
                speech[e][i] += gain[i];
        }
    }
    return IndexOfEars(speech, noise, threshold);
}

SpeechRegion NormalSpeechRegion()
{
    const Sii::Bands& speech = Sii::StandardSpeech(Sii::VocalEffort::Normal);
    SpeechRegion region;
    for (int i = 0; i < Sii::kBands; ++i) {
        const double centre = speech[i] - Sii::kInternalNoise[i];
        region.softest[i] = centre - Sii::kHalfRange;
        region.loudest[i] = centre + Sii::kHalfRange;
    }
    return region;
}
