#pragma once

#include "audiogram_settings.h"
#include "stored_loss_settings.h"

#include <QObject>

#include <optional>

class CChildView;
class QAction;
class QActionGroup;
class QMenuBar;

// The "Hörverlust" menu: the audiogram dialog, the standard losses (in both
// ears), how the ears are heard, the comparison with normal hearing (space
// bar) and back to the sliders alone. Every choice acts on the view from
// its next processed block.
class CHearingAidMenu;

class CHearingLossMenu : public QObject {
public:
    CHearingLossMenu(QMenuBar& menuBar, CChildView& view, QWidget* dialogParent);

    // Opens the dialog with the active audiogram (a standard loss or one
    // entered), else the last one entered; OK applies it.
    void EnterAudiogram();
    // Makes each ear's audiogram active (null: none), as `listener`'s ears
    // (the standard loss `presetKey`'s, when given), named `name` in the
    // view; the comparison with normal hearing ends, so that the choice is
    // heard. The choice is kept for the next start.
    void UseAudiogram(const CAudiogram* left, const CAudiogram* right, const QString& name,
                      const std::optional<StoredAudiogram>& listener = std::nullopt,
                      const std::string& presetKey = std::string());
    // "Beide Ohren", "Nur links" or "Nur rechts"; kept in the settings.
    void HearEars(EarsHeard ears);

    // Opens "Wiedergabepegel…"; OK applies and stores the listening level.
    void SetListeningLevel();
    void UseListeningLevel(const ListeningLevel& level);

private:
    // The loss active when the program last ended, if it can still be had.
    void RestoreActiveLoss();
    // After a change of the ears heard or their audiograms: the player
    // starts again if the sound changes between one channel and two.
    void FollowEars();
    // Keeps the loss settings as they now are for the next start.
    void StoreSettings() const;

    CChildView& m_view;
    QWidget* m_dialogParent;
    QActionGroup* m_choices;
    QAction* m_normalHearing;
    CHearingAidMenu* m_aid = nullptr;
    QAction* m_earsHeard[3];  // in the order of EarsHeard
    bool m_bCalibrated = false;
    std::optional<StoredAudiogram> m_active;  // the active audiogram, as the dialog opens with it
};
