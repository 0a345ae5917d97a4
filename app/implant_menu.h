#pragma once

#include "loss_settings.h"

#include <QObject>

#include <functional>

class CChildView;
class QAction;
class QMenu;
class QWidget;

// "Cochleaimplantat" in the Hörverlust menu: which ears hear through an
// implant (Aus, links, rechts, beide Ohren), the settings it has, a few
// named examples for those who do not know what to choose, and
// "Einstellungen…" for each setting. An implanted ear needs no audiogram;
// the other keeps its own, and its aid.
class CImplantMenu : public QObject {
public:
    // `changed` keeps the choice for the next start.
    CImplantMenu(QMenu& into, CChildView& view, const LossSettings& stored, std::function<void()> changed,
                 QWidget* dialogParent);

    // The settings the menu gives an implant, whichever ears have it.
    const ImplantSettings& Chosen() const { return m_settings; }
    void Choose(const ImplantSettings& settings);
    // Opens the settings' dialog; applied on OK.
    void EditSettings();

private:
    enum Ears { kNone, kLeft, kRight, kBoth };
    // The ears' implants as the menu shows them.
    void Implant();
    // A choice in the menu: implanted, kept, heard.
    void Apply();

    CChildView& m_view;
    std::function<void()> m_changed;
    QWidget* m_dialogParent;
    QAction* m_ears[4];
    QAction* m_shown;
    ImplantSettings m_settings;
};
