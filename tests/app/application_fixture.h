#pragma once

// The program started in a test: the application, a directory to run in,
// and helpers to click, drop, answer message boxes and find menu entries.

#include "main_frame.h"
#include "sonafel_app.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

CSonafelApp& App()
{
    return *static_cast<CSonafelApp*>(QCoreApplication::instance());
}

void Settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}

// Waits for what a test checks, with a limit that only a broken program meets.
constexpr int kPatienceMs = 30000;

// Counts the input events that reach an object past the application's filter.
class InputSpy : public QObject {
public:
    explicit InputSpy(QObject& watched) : m_watched(watched) { watched.installEventFilter(this); }
    ~InputSpy() override { m_watched.removeEventFilter(this); }
    int keys = 0;
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            ++keys;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            ++presses;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QObject& m_watched;
};

// While it lives, answers every message box that comes up with OK and keeps
// the last one's text.
struct MessageAnswer {
    QString message;
    QTimer timer;

    MessageAnswer()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = box->text();
                box->accept();
            }
        });
        timer.start(20);
    }
};

// Starts the program in a directory; the recordings are copied there or not.
struct Application : ::testing::Test {
    TempDir dir;
    ReportRecorder reports;
    std::filesystem::path previous = std::filesystem::current_path();

    void Start(const QStringList& arguments, bool withRecordings)
    {
        if (withRecordings)
            for (const char* name : {"sprache.wav", "music.wav", "noise.wav"})
                std::filesystem::copy_file(std::filesystem::path(SONAFEL_RECORDINGS_DIR) / name, dir.Path(name));
        std::filesystem::current_path(dir.Path(""));
        ASSERT_TRUE(App().InitInstance(arguments));
        Settle();
    }

    // Ends the program as closing its window does and starts it again in the
    // same directory, with the settings the last run kept.
    void Restart()
    {
        App().MainFrame()->close();
        Settle();
        App().ExitInstance();
        ASSERT_TRUE(App().InitInstance({"-Embedding"}));
        Settle();
    }

    void TearDown() override
    {
        if (CMainFrame* frame = App().MainFrame())
            frame->close();
        Settle();
        App().ExitInstance();
        std::filesystem::current_path(previous);
    }

    void Click(QWidget* widget, QPoint at)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        }
    }

    // Drops a file on the view as a drag arrives: it enters, moves over the
    // point and is dropped.
    void Drop(const std::string& file, QPoint at)
    {
        CChildView& view = App().MainFrame()->View();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &dropped);
    }

    QAction* MenuAction(const QString& menu, const QString& item)
    {
        for (QAction* top : App().MainFrame()->menuBar()->actions())
            if (top->text() == menu)
                for (QAction* action : top->menu()->actions())
                    if (action->text() == item)
                        return action;
        return nullptr;
    }

    // An entry of a submenu of a menu in the menu bar, by their texts; null
    // when there is none.
    QAction* SubMenuAction(const QString& menu, const QString& submenu, const QString& item)
    {
        QAction* const holder = MenuAction(menu, submenu);
        if (!holder || !holder->menu())
            return nullptr;
        for (QAction* action : holder->menu()->actions())
            if (action->text() == item)
                return action;
        return nullptr;
    }
};

}  // namespace
