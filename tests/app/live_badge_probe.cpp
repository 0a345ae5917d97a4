// The window's live sound through the sound server the desktop runs: the
// view's live mode switched on as the Live menu does, by a user who has
// confirmed the headphones before, for two seconds, with the devices of the
// settings (none chosen: the system's). Prints the notice the view shows for
// it, "Live · N ms"; exit status 0 when it shows one.
//
//   live_badge_probe    (in a folder with the recordings)

#include "child_view.h"
#include "engine_setup.h"
#include "live_mode.h"
#include "pipewire_route.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv)
{
    TakePipeWireRoute(argv);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessadyn"));
    QApplication::setApplicationName(QStringLiteral("Sonafel"));
    QSettings().setValue(QStringLiteral("live/headphonesConfirmed"), true);
    CSourceBank sources;
    RenderOptions options;
    LoadRecordings(options, sources);
    CChildView view(sources);
    view.resize(1020, 700);
    view.show();
    QAction action;
    action.setCheckable(true);
    CLiveMode mode(view, sources, action, &view);
    mode.Switch(true);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    int status = 1;
    for (const QString& notice : view.ShownNotices())
        if (notice.startsWith(QStringLiteral("Live · "))) {
            std::printf("the view shows: %s\n", notice.toUtf8().constData());
            status = 0;
        }
    if (status != 0)
        std::printf("the view shows no live notice\n");
    mode.Switch(false);
    return status;
}
