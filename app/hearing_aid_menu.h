#pragma once

#include "stored_loss_settings.h"

#include <QObject>

#include <functional>

class CChildView;
class QAction;
class QMenu;

// "Hörgerät" in the Hörverlust menu: the rule it is fitted by (Aus, NAL-R
// (linear), Fig6 (Kompression)) and the ears that wear it, fitted from each
// ear's active audiogram; without an audiogram the entries are disabled and
// the first says why. "Mit Hörgerät hören" (H) switches between aided and
// unaided while the sound plays, as the space bar compares with normal
// hearing.
class CHearingAidMenu : public QObject {
public:
    // `changed` keeps the choice for the next start.
    CHearingAidMenu(QMenu& into, CChildView& view, const LossSettings& stored, std::function<void()> changed);

    // After the audiograms changed: what can be chosen.
    void Follow();

private:
    enum Wearing { kBothEars, kLeftEar, kRightEar };
    // The ears' aids as the menu shows them.
    void Fit();
    // A choice in the menu: fitted, kept, shown.
    void Apply();

    CChildView& m_view;
    std::function<void()> m_changed;
    QMenu* m_menu;
    QAction* m_why;
    QAction* m_rules[3];  // in the order of AidRule
    QAction* m_wearing[3];
    QAction* m_aided;
};
