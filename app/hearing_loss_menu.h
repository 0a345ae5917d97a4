#pragma once

#include "audiogram.h"
#include "calibration_settings.h"

#include <QObject>

class CChildView;
class QAction;
class QActionGroup;
class QMenuBar;

// The "Hörverlust" menu: the audiogram dialog, the standard losses, the
// comparison with normal hearing (space bar) and back to the sliders alone.
// Every choice acts on the view from its next processed block.
class CHearingLossMenu : public QObject {
public:
    CHearingLossMenu(QMenuBar& menuBar, CChildView& view, QWidget* dialogParent);

    // Opens the dialog with the last audiogram entered; OK applies it.
    void EnterAudiogram();
    void UseAudiogram(const CAudiogram* audiogram, const QString& name);

    // Opens "Wiedergabepegel…"; OK applies and stores the listening level.
    void SetListeningLevel();
    void UseListeningLevel(const ListeningLevel& level);

private:
    CChildView& m_view;
    QWidget* m_dialogParent;
    QActionGroup* m_choices;
    QAction* m_splDisplay;
};
