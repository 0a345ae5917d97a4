// What the user sets, as one value: every field set on a processor is read
// back, handed to the live path, and told apart from the value without it.

#include "audiogram_presets.h"
#include "loss_processor.h"

#include <gtest/gtest.h>

#include <functional>

TEST(LossSettings, EveryFieldIsAppliedReadBackHandedOverAndTold)
{
    const CAudiogram& s2 = FindAudiogramPreset("S2")->audiogram;
    const CAudiogram& n3 = FindAudiogramPreset("N3")->audiogram;
    const struct {
        const char* field;
        std::function<void(LossSettings&)> change;
    } kChanges[] = {
        {"loudness", [](LossSettings& s) { s.loudness = 0.4; }},
        {"highFreq", [](LossSettings& s) { s.highFreq = 0.3; }},
        {"resolution", [](LossSettings& s) { s.resolution = 0.2; }},
        {"left audiogram", [&](LossSettings& s) { s.audiogram[static_cast<int>(Ear::Left)] = s2; }},
        {"right audiogram", [&](LossSettings& s) { s.audiogram[static_cast<int>(Ear::Right)] = n3; }},
        {"recruitment", [](LossSettings& s) { s.recruitment = false; }},
        {"smearingFromAudiogram", [](LossSettings& s) { s.smearingFromAudiogram = true; }},
        {"levelMeasurement", [](LossSettings& s) { s.levelMeasurement = true; }},
        {"fullScaleSpl", [](LossSettings& s) { s.fullScaleSpl = 112.5; }},
        {"listeningSpl", [](LossSettings& s) { s.listeningSpl = 65.0; }},
        {"ears", [](LossSettings& s) { s.ears = EarsHeard::Right; }},
        {"normalHearing", [](LossSettings& s) { s.normalHearing = true; }},
        {"left aid",
         [&](LossSettings& s) {
             s.audiogram[static_cast<int>(Ear::Left)] = s2;
             s.aid[static_cast<int>(Ear::Left)] = AidRule::Fig6;
         }},
        {"right aid",
         [&](LossSettings& s) {
             s.audiogram[static_cast<int>(Ear::Right)] = n3;
             s.aid[static_cast<int>(Ear::Right)] = AidRule::NalR;
         }},
        {"aided", [](LossSettings& s) { s.aided = false; }},
        {"earLoss", [](LossSettings& s) { s.earLoss = false; }},
        {"left implant", [](LossSettings& s) { s.implant[static_cast<int>(Ear::Left)] = ImplantSettings(); }},
        {"right implant, every setting off its default",
         [](LossSettings& s) {
             ImplantSettings implant;
             implant.channels = 8;
             implant.carrier = ImplantCarrier::Sine;
             implant.lowHz = 250;
             implant.highHz = 6000;
             implant.envelopeHz = 80;
             implant.shiftMm = 4;
             implant.spreadDbPerMm = 2.8;
             implant.nOfM = 4;
             s.implant[static_cast<int>(Ear::Right)] = implant;
         }},
    };
    const LossSettings unset;
    for (const auto& change : kChanges) {
        LossSettings set;
        change.change(set);
        EXPECT_NE(set, unset) << change.field << " is told apart";
        CSourceBank sources;
        CLossProcessor processor(sources);
        EXPECT_EQ(processor.Settings(), unset) << "a new processor has the defaults";
        processor.Apply(set);
        EXPECT_EQ(processor.Settings(), set) << change.field << " is read back";
        CLiveSettings handed(processor);
        CLossProcessor live(sources);
        live.TakeSettings(handed);
        EXPECT_EQ(live.Settings(), set) << change.field << " is handed over";
    }
    // An audiogram differs by any one point's level.
    std::string error;
    LossSettings one, other;
    one.audiogram[0] = CAudiogram::Make({{500, 20}, {2000, 40}}, error);
    other.audiogram[0] = CAudiogram::Make({{500, 20}, {2000, 45}}, error);
    EXPECT_NE(one, other);
}
