#pragma once

#include <QObject>

class CChildView;
class QMenuBar;

// The "Ansicht" menu: "Skala und Legende", off unless chosen before (it is
// kept in the settings).
class CViewMenu : public QObject {
public:
    CViewMenu(QMenuBar& menuBar, CChildView& view);
};
