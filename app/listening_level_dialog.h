#pragma once

#include "calibration_settings.h"
#include "calibration_tone.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Wiedergabepegel…": plays the calibration tone, takes the reading of a
// sound level meter held at the headphone, and offers the levels the speech
// can be presented at. OK with a reading outside 40 to 130 dB SPL is refused
// with a message; nothing is applied before OK: the caller reads Result()
// after exec().
class CListeningLevelDialog : public QDialog {
public:
    CListeningLevelDialog(const ListeningLevel& current, std::unique_ptr<IWaveOutDevice> toneDevice,
                          bool soundPlays, QWidget* parent = nullptr);

    ListeningLevel Result() const { return m_result; }

    QLineEdit& Reading() { return *m_reading; }
    QComboBox& SpeechLevel() { return *m_speech; }
    QPushButton& ToneButton() { return *m_toneButton; }
    QPushButton& ResetButton() { return *m_resetButton; }
    const CCalibrationTone& Tone() const { return m_tone; }

    void done(int result) override;

private:
    void ToggleTone();
    void ShowState();

    ListeningLevel m_result;
    CCalibrationTone m_tone;
    QLabel* m_state;
    QLineEdit* m_reading;
    QComboBox* m_speech;
    QPushButton* m_toneButton;
    QPushButton* m_resetButton;
};
