#pragma once

#include "child_view.h"
#include "manual_window.h"

#include <QMainWindow>
#include <QPointer>

class CLiveMenu;
class CSonafelApp;

// The top-level window: title, menu and the main view filling it.
class CMainFrame : public QMainWindow {
public:
    CMainFrame(CSonafelApp& app, CSourceBank& sources);
    // Live sound stops before the view it shows in goes.
    ~CMainFrame() override;

    CChildView& View() { return m_view; }

    CLiveMenu& Live() { return *m_live; }

    // "Anleitung" (F1): the manual beside the main window.
    void ShowManual();
    CManualWindow* Manual() const { return m_manual; }

private:
    CChildView m_view;
    CLiveMenu* m_live;
    QPointer<CManualWindow> m_manual;
};
