#pragma once

#include "audiogram_settings.h"
#include "calibration_settings.h"

#include <QObject>

#include <optional>

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

    // Opens the dialog with the active audiogram (a standard loss or one
    // entered), else the last one entered; OK applies it.
    void EnterAudiogram();
    // Makes an audiogram active (null: none), as `listener`'s ear, named
    // `name` in the view; the comparison with normal hearing ends, so that
    // the choice is heard.
    void UseAudiogram(const CAudiogram* audiogram, const QString& name,
                      const std::optional<StoredAudiogram>& listener = std::nullopt);

    // Opens "Wiedergabepegel…"; OK applies and stores the listening level.
    void SetListeningLevel();
    void UseListeningLevel(const ListeningLevel& level);

private:
    CChildView& m_view;
    QWidget* m_dialogParent;
    QActionGroup* m_choices;
    QAction* m_normalHearing;
    QAction* m_splDisplay;
    std::optional<StoredAudiogram> m_active;  // the active audiogram, as the dialog opens with it
};
