#include "live_menu.h"

#include "audio_devices.h"
#include "child_view.h"
#include "live_mode.h"
#include "sonafel_app.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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
    CAudioDevicesDialog dialog(ListSoundDevicesNow(), LoadAudioDevices(), m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveAudioDevices(dialog.Chosen());
    // Live sound and the recordings start again on the devices chosen.
    const bool live = m_mode->On();
    if (live)
        m_mode->Switch(false);
    m_app.UseAudioDevices();
    if (live)
        m_mode->Switch(true);
}
