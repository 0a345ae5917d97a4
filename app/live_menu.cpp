#include "live_menu.h"

#include "audio_devices.h"
#include "child_view.h"
#include "live_mode.h"
#include "live_open_message.h"
#include "sonafel_app.h"
#include "wave_out_choice.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <chrono>
#include <optional>
#include <vector>

namespace {

// How long the window waits for the sound server to list its devices.
constexpr std::chrono::milliseconds kListLimit{1500};

}  // namespace

CLiveMenu::CLiveMenu(QMenuBar& menuBar, CChildView& view, CSourceBank& sources, CSonafelApp& app,
                     QWidget* dialogParent)
    : QObject(&menuBar), m_view(view), m_app(app), m_dialogParent(dialogParent)
{
    QMenu* const menu = menuBar.addMenu(QStringLiteral("&Live"));
    QAction* const live = menu->addAction(QStringLiteral("&Mikrofon (live)"));
    live->setCheckable(true);
    live->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    live->setStatusTip(QStringLiteral("Das Mikrofon durch den Hörverlust hören; die Aufnahmen pausieren"));
    m_mode = new CLiveMode(view, sources, *live, dialogParent);
    connect(live, &QAction::triggered, m_mode, [this](bool on) { m_mode->Switch(on); });
    menu->addAction(QStringLiteral("&Audiogeräte…"), this, &CLiveMenu::ChooseDevices);
}

void CLiveMenu::ChooseDevices()
{
    const std::optional<std::vector<SoundDevice>> devices = ListAudioDevices(kListLimit);
    if (!devices) {
        QMessageBox::warning(m_dialogParent, QStringLiteral("Audiogeräte"),
                             SoundServerSilentMessage() +
                                 QStringLiteral(" Bis dahin lassen sich die Geräte nicht auflisten."));
        return;
    }
    CAudioDevicesDialog dialog(*devices, LoadAudioDevices(), m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveAudioDevices(dialog.Chosen());
    // The recordings (paused while live) and live sound start again on the
    // devices chosen; nothing plays in between.
    m_app.UseAudioDevices();
    if (m_mode->On())
        m_mode->Restart();
}
