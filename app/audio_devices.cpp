#include "audio_devices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QVBoxLayout>


namespace {

const char* const kInputKey = "audio/input";
const char* const kOutputKey = "audio/output";

std::string StoredKey(const QSettings& settings, const char* name)
{
    const QVariant value = settings.value(QLatin1String(name));
    // Only text of a key's length is one; anything else means the default.
    if (value.typeId() != QMetaType::QString)
        return {};
    const QByteArray utf8 = value.toString().toUtf8();
    if (static_cast<std::size_t>(utf8.size()) > kMaxSoundDeviceKey)
        return {};
    return utf8.toStdString();
}

void Fill(QComboBox& box, const std::vector<SoundDevice>& devices, bool input, const std::string& chosen)
{
    box.addItem(QStringLiteral("Standard des Systems"), QString());
    for (const SoundDevice& device : devices) {
        if ((input ? device.inputChannels : device.outputChannels) <= 0)
            continue;
        box.addItem(CAudioDevicesDialog::DeviceLabel(device, input), QString::fromStdString(SoundDeviceKey(device)));
    }
    const int at = box.findData(QString::fromStdString(chosen));
    if (at >= 0) {
        box.setCurrentIndex(at);
    } else if (!chosen.empty()) {
        // Kept, but not there now (unplugged): shown as such, still chosen.
        box.addItem(QString::fromStdString(chosen) + QStringLiteral(" (nicht angeschlossen)"),
                    QString::fromStdString(chosen));
        box.setCurrentIndex(box.count() - 1);
    }
}

}  // namespace

LiveDevices LoadAudioDevices()
{
    const QSettings settings;
    return {StoredKey(settings, kInputKey), StoredKey(settings, kOutputKey)};
}

void SaveAudioDevices(const LiveDevices& devices)
{
    QSettings settings;
    settings.setValue(QLatin1String(kInputKey), QString::fromStdString(devices.input));
    settings.setValue(QLatin1String(kOutputKey), QString::fromStdString(devices.output));
}

QString CAudioDevicesDialog::DeviceLabel(const SoundDevice& device, bool input)
{
    const double latencyMs = 1000.0 * (input ? device.lowInputLatency : device.lowOutputLatency);
    return QStringLiteral("%1 (%2) · %3 ms")
        .arg(QString::fromStdString(device.name), QString::fromStdString(ShownHost(device)),
             QLocale(QLocale::German).toString(latencyMs, 'f', 1));
}

CAudioDevicesDialog::CAudioDevicesDialog(const std::vector<SoundDevice>& devices, const LiveDevices& chosen,
                                         QWidget* parent)
    : QDialog(parent), m_input(new QComboBox(this)), m_output(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Audiogeräte"));
    Fill(*m_input, devices, true, chosen.input);
    Fill(*m_output, devices, false, chosen.output);
    auto* const form = new QFormLayout;
    form->addRow(QStringLiteral("&Eingang (Mikrofon):"), m_input);
    form->addRow(QStringLiteral("&Ausgang:"), m_output);
    // Only the system's default to choose: say why.
    const bool none = m_input->count() == 1 && m_output->count() == 1;
    auto* const note = new QLabel(
        (none ? QStringLiteral("Es wurden keine Audiogeräte gefunden; es gilt der Standard des Systems. ")
              : QString()) +
            QStringLiteral("Die Zeit hinter jedem Gerät ist die kleinste Latenz, die es anbietet. Der Ausgang gilt "
                           "für das Mikrofon und für die Aufnahmen."),
        this);
    note->setWordWrap(true);
    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* const layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

LiveDevices CAudioDevicesDialog::Chosen() const
{
    return {m_input->currentData().toString().toStdString(), m_output->currentData().toString().toStdString()};
}
