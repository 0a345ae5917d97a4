#pragma once

#include "live_stream.h"
#include "sound_devices.h"

#include <QDialog>

#include <vector>

class QComboBox;

// The input and output chosen in "Audiogeräte…", kept between runs; empty
// (the system's default) when none was chosen or what is stored is not a
// device key.
LiveDevices LoadAudioDevices();
void SaveAudioDevices(const LiveDevices& devices);

// Chooses the input (the microphone for live sound) and the output (for live
// sound and the recordings) among every device of every host API, each
// shown with the lowest latency it offers. Nothing is applied before OK.
class CAudioDevicesDialog : public QDialog {
public:
    CAudioDevicesDialog(const std::vector<SoundDevice>& devices, const LiveDevices& chosen, QWidget* parent);
    // What was chosen, after OK.
    LiveDevices Chosen() const;

    // A device as listed: "name (host API) · 5,8 ms".
    static QString DeviceLabel(const SoundDevice& device, bool input);

private:
    QComboBox* m_input;
    QComboBox* m_output;
};
