#pragma once

#include <QObject>

class CChildView;
class QMenuBar;

// The "Ansicht" menu: what the spectrum shows (Hörbarkeit while an
// audiogram is chosen, by default; the relative levels; the levels in
// dB SPL), Hörbarkeit as on an audiogram, and "Skala und Legende"; each
// kept in the settings.
class CViewMenu : public QObject {
public:
    CViewMenu(QMenuBar& menuBar, CChildView& view);
};
