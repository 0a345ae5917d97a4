#include "calibration_settings.h"
#include "calibration_tone.h"
#include "listening_level_dialog.h"
#include "output_volume.h"
#include "virtual_wave_out.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// A tone device that the test can look into after the tone has taken it.
struct ToneDevice {
    CManualWaveOut* device = nullptr;
    std::unique_ptr<IWaveOutDevice> Make()
    {
        auto made = std::make_unique<CManualWaveOut>();
        device = made.get();
        return made;
    }
};

// Presses OK and answers a message box that may come up with OK; returns
// its text.
QString PressOk(CListeningLevelDialog& dialog)
{
    QString message;
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    dialog.accept();
    return message;
}

}  // namespace

TEST(ListeningLevel, AMeterReadingCalibratesFullScaleAndOneOutsideTheRangeIsRefused)
{
    ToneDevice tone;
    CListeningLevelDialog dialog(ListeningLevel{}, tone.Make(), CListeningLevelDialog::ToneBlock::None);
    // A reading typed says what it makes: 74,5 dB SPL at −20 dB FS is full
    // scale at 94,5 dB SPL, named as such.
    dialog.Reading().setText(QStringLiteral("74,5"));
    EXPECT_TRUE(dialog.State().endsWith(QStringLiteral("mit der Anzeige: 0 dB FS (Vollaussteuerung) = 94,5 dB SPL, nach OK")))
        << dialog.State().toStdString();
    dialog.Reading().clear();
    dialog.Reading().setText("150");
    const QString refusal = PressOk(dialog);
    EXPECT_TRUE(refusal.contains("zwischen 20 und 130 dB SPL")) << refusal.toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "the dialog stays open";
    EXPECT_FALSE(dialog.Result().fullScale);
    dialog.Reading().setText("laut");
    EXPECT_FALSE(PressOk(dialog).isEmpty());

    // The tone plays at -20 dB FS: a reading of 74.5 puts full scale at 94.5.
    dialog.Reading().setText("74,5");
    dialog.SpeechLevel().setCurrentIndex(2);
    EXPECT_TRUE(PressOk(dialog).isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.Result().fullScale);
    EXPECT_DOUBLE_EQ(*dialog.Result().fullScale, 94.5);
    EXPECT_EQ(dialog.Result().speechLevel, 65.0);

    // Reset: back to nominal levels.
    CListeningLevelDialog again(dialog.Result(), tone.Make(), CListeningLevelDialog::ToneBlock::None);
    again.ResetButton().click();
    again.SpeechLevel().setCurrentIndex(0);
    PressOk(again);
    EXPECT_FALSE(again.Result().fullScale);
    EXPECT_FALSE(again.Result().speechLevel);
    EXPECT_EQ(again.Result().FullScaleOrNominal(), 100.0);
}

TEST(ListeningLevel, TheCalibrationToneIsA1KilohertzSineAtMinus20DecibelsAtFullVolume)
{
    SetOutputVolume(0x40004000u);  // the loudness slider turned down
    ToneDevice tone;
    CListeningLevelDialog dialog(ListeningLevel{}, tone.Make(), CListeningLevelDialog::ToneBlock::None);
    dialog.ToneButton().click();
    ASSERT_TRUE(dialog.Tone().Playing());
    EXPECT_EQ(OutputVolume(), 0xFFFFFFFFu);
    ASSERT_EQ(tone.device->QueuedCount(), 4);
    // RMS 32768·10^(-20/20): peak 32768·√2·0.1 = 4634; 1 kHz: 44.1 samples
    // per period, zero crossings 22.05 samples apart.
    const auto* samples = reinterpret_cast<const short*>(tone.device->Queued(1).data);
    const int count = tone.device->Queued(1).bytes / 2;
    EXPECT_EQ(count, 4410);
    EXPECT_EQ(*std::max_element(samples, samples + count), 4634);
    int crossings = 0;
    for (int i = 1; i < count; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    EXPECT_NEAR(crossings, 200, 1);
    const auto* first = reinterpret_cast<const short*>(tone.device->Queued(0).data);
    // The first buffer rises over 10 ms: sample 10 is 4634·sin(2π·10/44.1)
    // = 4583 times 10/441, 104.
    EXPECT_NEAR(first[10], 104, 1);

    dialog.ToneButton().click();
    EXPECT_FALSE(dialog.Tone().Playing());
    EXPECT_FALSE(tone.device->IsOpen());
    EXPECT_EQ(OutputVolume(), 0x40004000u) << "the slider's volume is back";
    SetOutputVolume(0xFFFFFFFFu);
}

TEST(ListeningLevel, ALevelTheCalibrationCannotReachIsNamedAndTheButtonsStayPut)
{
    // The speech reaches 16.6 dB below full scale without the limiter.
    ToneDevice tone;
    CListeningLevelDialog dialog(ListeningLevel{80.0, std::nullopt}, tone.Make(), CListeningLevelDialog::ToneBlock::None, nullptr,
                                 [](double fullScale) { return std::optional<double>(fullScale - 16.6); });
    dialog.show();
    QApplication::processEvents();
    QPushButton* const ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    const QRect okWhere = ok->geometry();
    const QSize size = dialog.size();
    EXPECT_TRUE(dialog.Reachability().isEmpty()) << "as recorded";

    dialog.SpeechLevel().setCurrentIndex(3);  // 80 dB SPL
    EXPECT_TRUE(dialog.Reachability().startsWith("80,0 dB SPL sind mit dieser Kalibrierung nicht ohne Begrenzung "
                                                 "erreichbar: Die Sprache erreicht unverzerrt höchstens 63,4 dB SPL."))
        << dialog.Reachability().toStdString();
    dialog.SpeechLevel().setCurrentIndex(2);  // 65: also out of reach
    EXPECT_FALSE(dialog.Reachability().isEmpty());
    dialog.SpeechLevel().setCurrentIndex(1);  // 50: reached
    EXPECT_TRUE(dialog.Reachability().isEmpty());
    // A reading typed counts at once: 100 on the meter puts full scale at 120.
    dialog.SpeechLevel().setCurrentIndex(3);
    dialog.Reading().setText("100");
    EXPECT_TRUE(dialog.Reachability().isEmpty());
    dialog.Reading().setText("70");
    EXPECT_TRUE(dialog.Reachability().contains("höchstens 73,4 dB SPL")) << dialog.Reachability().toStdString();
    dialog.ResetButton().click();  // the longest status line
    QApplication::processEvents();
    EXPECT_EQ(dialog.size(), size);
    EXPECT_EQ(ok->geometry(), okWhere) << "OK has not moved";
    dialog.reject();
}
