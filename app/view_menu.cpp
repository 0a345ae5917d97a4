#include "view_menu.h"

#include "child_view.h"
#include "remembered_choices.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

CViewMenu::CViewMenu(QMenuBar& menuBar, CChildView& view) : QObject(&menuBar)
{
    QMenu* const menu = menuBar.addMenu(QStringLiteral("&Ansicht"));
    QAction* const scale = menu->addAction(QStringLiteral("Skala und &Legende"));
    scale->setCheckable(true);
    scale->setChecked(LoadChoice(Choice::ScaleAndLegend, false));
    view.SetScaleAndLegend(scale->isChecked());
    connect(scale, &QAction::toggled, this, [&view](bool on) {
        SaveChoice(Choice::ScaleAndLegend, on);
        view.SetScaleAndLegend(on);
        view.update();
    });
}
