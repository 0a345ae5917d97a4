// The loss settings kept between runs: one value written and read back
// whole, under the keys earlier runs wrote, each field that is damaged or
// off its range as none.

#include "stored_loss_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

void Forget()
{
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("calibration"));
    QSettings().remove(QStringLiteral("implantLeft"));
    QSettings().remove(QStringLiteral("implantRight"));
}

}  // namespace

TEST(StoredLossSettings, AValueComesBackWholeAndNothingStoredIsTheDefaults)
{
    Forget();
    const StoredLossSettings none = LoadLossSettings();
    EXPECT_EQ(none.settings, LossSettings());
    EXPECT_FALSE(none.calibrated);

    StoredLossSettings chosen;
    chosen.settings.ears = EarsHeard::Right;
    chosen.settings.recruitment = false;
    chosen.settings.smearingFromAudiogram = true;
    chosen.settings.fullScaleSpl = 94.5;
    chosen.settings.listeningSpl = 65.0;
    chosen.settings.aid[static_cast<int>(Ear::Right)] = AidRule::Fig6;
    ImplantSettings implant;
    implant.channels = 8;
    implant.carrier = ImplantCarrier::Sine;
    implant.lowHz = 250;
    implant.highHz = 6000;
    implant.envelopeHz = 80;
    implant.shiftMm = 4;
    implant.spreadDbPerMm = 2.8;
    implant.nOfM = 4;
    chosen.settings.implant[static_cast<int>(Ear::Left)] = implant;
    chosen.calibrated = true;
    SaveLossSettings(chosen);
    const StoredLossSettings back = LoadLossSettings();
    EXPECT_EQ(back.settings, chosen.settings);
    EXPECT_TRUE(back.calibrated);

    // Uncalibrated, the full-scale level is the nominal one, not kept.
    chosen.calibrated = false;
    SaveLossSettings(chosen);
    EXPECT_FALSE(LoadLossSettings().calibrated);
    EXPECT_EQ(LoadLossSettings().settings.fullScaleSpl, 100.0);
    EXPECT_FALSE(LoadLossSettings().Level().fullScale);
    EXPECT_EQ(LoadLossSettings().Level().speechLevel, 65.0);
    chosen.settings.implant[static_cast<int>(Ear::Left)].reset();
    SaveLossSettings(chosen);
    EXPECT_FALSE(LoadLossSettings().settings.implant[static_cast<int>(Ear::Left)]) << "removed";
    Forget();
}

TEST(StoredLossSettings, EarlierRunsEntriesLoadAndDamagedOnesAreAsNone)
{
    const struct {
        const char* key;
        QVariant stored;
        bool (*holds)(const StoredLossSettings&);
    } kCases[] = {
        // As earlier runs wrote them.
        {"hearing/ears", QStringLiteral("left"),
         [](const StoredLossSettings& s) { return s.settings.ears == EarsHeard::Left; }},
        {"hearing/recruitment", QStringLiteral("false"),
         [](const StoredLossSettings& s) { return !s.settings.recruitment; }},
        {"hearing/audiogramSmearing", QStringLiteral("true"),
         [](const StoredLossSettings& s) { return s.settings.smearingFromAudiogram; }},
        {"calibration/fullScaleSpl", 40,
         [](const StoredLossSettings& s) { return s.calibrated && s.settings.fullScaleSpl == 40.0; }},
        {"calibration/speechLevelSpl", 100,
         [](const StoredLossSettings& s) { return s.settings.listeningSpl == 100.0; }},
        {"hearing/aidLeft", QStringLiteral("nal-r"),
         [](const StoredLossSettings& s) { return s.settings.aid[0] == AidRule::NalR; }},
        {"hearing/aidRight", QStringLiteral("fig6"),
         [](const StoredLossSettings& s) { return s.settings.aid[1] == AidRule::Fig6; }},
        // Damaged, or off the range the dialog and the tools take: ignored, not clamped.
        {"hearing/ears", QStringLiteral("links"),
         [](const StoredLossSettings& s) { return s.settings.ears == EarsHeard::Both; }},
        {"hearing/ears", 2, [](const StoredLossSettings& s) { return s.settings.ears == EarsHeard::Both; }},
        {"hearing/recruitment", 7, [](const StoredLossSettings& s) { return s.settings.recruitment; }},
        {"hearing/audiogramSmearing", QStringLiteral("ja"),
         [](const StoredLossSettings& s) { return !s.settings.smearingFromAudiogram; }},
        {"calibration/fullScaleSpl", QStringLiteral("laut"),
         [](const StoredLossSettings& s) { return !s.calibrated && s.settings.fullScaleSpl == 100.0; }},
        {"calibration/fullScaleSpl", 150.5, [](const StoredLossSettings& s) { return !s.calibrated; }},
        {"calibration/speechLevelSpl", 19.5, [](const StoredLossSettings& s) { return !s.settings.listeningSpl; }},
        {"calibration/speechLevelSpl", 400, [](const StoredLossSettings& s) { return !s.settings.listeningSpl; }},
        {"hearing/aidLeft", QStringLiteral("NAL-R (linear)"),
         [](const StoredLossSettings& s) { return s.settings.aid[0] == AidRule::Off; }},
        {"hearing/aidRight", 2, [](const StoredLossSettings& s) { return s.settings.aid[1] == AidRule::Off; }},
        {"hearing/aidRight", QString(100000, QLatin1Char('f')),
         [](const StoredLossSettings& s) { return s.settings.aid[1] == AidRule::Off; }},
    };
    for (const auto& c : kCases) {
        Forget();
        QSettings().setValue(QLatin1String(c.key), c.stored);
        EXPECT_TRUE(c.holds(LoadLossSettings())) << c.key << " = " << c.stored.toString().toStdString();
    }
    Forget();
}

TEST(StoredLossSettings, AHandEditedFileIsReadFieldByField)
{
    Forget();
    const QString path = QSettings().fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append | QIODevice::Text));
    file.write(
        "\n[hearing]\naidLeft=nal-r\naidRight=NAL-R\nrecruitment=false\nears=rechts\n"
        "[calibration]\nfullScaleSpl=1e999\nspeechLevelSpl=65,5\n");
    file.close();
    const StoredLossSettings stored = LoadLossSettings();
    EXPECT_EQ(stored.settings.aid[static_cast<int>(Ear::Left)], AidRule::NalR);
    EXPECT_EQ(stored.settings.aid[static_cast<int>(Ear::Right)], AidRule::Off) << "not a rule's word";
    EXPECT_FALSE(stored.settings.recruitment);
    EXPECT_EQ(stored.settings.ears, EarsHeard::Both);
    EXPECT_FALSE(stored.calibrated) << "beyond the range";
    EXPECT_FALSE(stored.settings.listeningSpl) << "a decimal comma is no number here";

    // An implant as the program writes it, then each field damaged in turn: the implant is none.
    const char* const kWhole = "channels=12\ncarrier=noise\nlowHz=200\nhighHz=8000\nenvelopeHz=160\nshiftMm=2\nnOfM=0\n";
    const char* const kDamage[] = {nullptr,         "channels=23",     "channels=7.5",       "carrier=Rauschen",
                                   "lowHz=50",      "highHz=300",      "envelopeHz=20",      "shiftMm=9",
                                   "nOfM=13",       "spreadDbPerMm=0", "spreadDbPerMm=viel", "channels="};
    for (const char* damage : kDamage) {
        Forget();
        ASSERT_TRUE(file.open(QIODevice::Append | QIODevice::Text));
        file.write("\n[implantRight]\n");
        file.write(kWhole);
        if (damage)
            file.write((std::string(damage) + "\n").c_str());
        file.close();
        QSettings().sync();
        const auto implant = LoadLossSettings().settings.implant[static_cast<int>(Ear::Right)];
        EXPECT_EQ(implant.has_value(), damage == nullptr) << (damage ? damage : "whole");
        if (implant) {
            EXPECT_EQ(implant->shiftMm, 2.0);
        }
    }
    Forget();
}
