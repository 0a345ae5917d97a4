#pragma once

#include <QObject>

class CChildView;
class CLiveMode;
class CSonafelApp;
class CSourceBank;
class QMenuBar;
class QWidget;

// The "Live" menu: "Mikrofon (live)" switched on and off, and
// "Audiogeräte…", the input and the output.
class CLiveMenu : public QObject {
public:
    CLiveMenu(QMenuBar& menuBar, CChildView& view, CSourceBank& sources, CSonafelApp& app, QWidget* dialogParent);

    CLiveMode& Mode() { return *m_mode; }

private:
    void ChooseDevices();

    CChildView& m_view;
    CSonafelApp& m_app;
    QWidget* m_dialogParent;
    CLiveMode* m_mode;
};
