#pragma once

#include "child_view.h"

#include <QMainWindow>

class CSonafelApp;

// The top-level window: title, menu and the main view filling it.
class CMainFrame : public QMainWindow {
public:
    CMainFrame(CSonafelApp& app, CSourceBank& sources);

    CChildView& View() { return m_view; }

private:
    CChildView m_view;
};
