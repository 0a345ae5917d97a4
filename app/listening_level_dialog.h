#pragma once

#include "calibration_settings.h"
#include "calibration_tone.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Wiedergabepegel…": plays the calibration tone, takes the reading of a
// sound level meter held at the headphone, and offers the levels the speech
// can be presented at. OK with a reading outside 20 to 130 dB SPL is refused
// with a message; nothing is applied before OK: the caller reads Result()
// after exec().
class CListeningLevelDialog : public QDialog {
public:
    // The highest level in dB SPL the speech reaches without the limiter
    // under a full scale in dB SPL; nothing when unknown (no speech).
    using SpeechHeadroom = std::function<std::optional<double>(double fullScaleSpl)>;

    // What keeps the calibration tone from playing: the recordings or live
    // sound would mix into it.
    enum class ToneBlock { None, SourcesOn, Live };

    CListeningLevelDialog(const ListeningLevel& current, std::unique_ptr<IWaveOutDevice> toneDevice,
                          ToneBlock block, QWidget* parent = nullptr, SpeechHeadroom headroom = {});

    ListeningLevel Result() const { return m_result; }

    QLineEdit& Reading() { return *m_reading; }
    QComboBox& SpeechLevel() { return *m_speech; }
    QPushButton& ToneButton() { return *m_toneButton; }
    // Why the tone cannot play now, said in the dialog; empty when it can.
    QString ToneBlocked() const;
    QPushButton& ResetButton() { return *m_resetButton; }
    // The calibration's state as the dialog says it.
    QString State() const;
    // What the dialog says of the chosen speech level: empty when it can be
    // reached without the limiter.
    QString Reachability() const;
    const CCalibrationTone& Tone() const { return m_tone; }

    void done(int result) override;

private:
    void ToggleTone();
    void ShowState();
    // The full scale the dialog would apply now: the typed reading when it
    // is one, the current calibration otherwise.
    double FullScaleShown() const;

    ListeningLevel m_result;
    QLabel* m_toneBlocked;
    CCalibrationTone m_tone;
    SpeechHeadroom m_headroom;
    QLabel* m_state;
    QLabel* m_reach;
    QLineEdit* m_reading;
    QComboBox* m_speech;
    QPushButton* m_toneButton;
    QPushButton* m_resetButton;
};
