#pragma once

#include "child_view.h"

#include <QMainWindow>

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

private:
    CChildView m_view;
    CLiveMenu* m_live;
};
