#include "view_menu.h"

#include "child_view.h"
#include "remembered_choices.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

CViewMenu::CViewMenu(QMenuBar& menuBar, CChildView& view) : QObject(&menuBar)
{
    QMenu* const menu = menuBar.addMenu(QStringLiteral("&Ansicht"));
    using View = CChildView::SpectrumView;
    const struct {
        const char* name;
        StoredSpectrumView stored;
        View view;
    } kViews[] = {
        {"&Hörbarkeit (mit Audiogramm)", StoredSpectrumView::Audibility, View::Audibility},
        {"Pegel &relativ (dB unter dem lautesten)", StoredSpectrumView::Relative, View::Relative},
        {"Pegel in dB &SPL am Ohr", StoredSpectrumView::Spl, View::Spl},
    };
    auto* const views = new QActionGroup(this);
    const StoredSpectrumView chosen = LoadSpectrumView();
    for (const auto& choice : kViews) {
        QAction* const action = menu->addAction(QString::fromUtf8(choice.name));
        action->setCheckable(true);
        action->setChecked(choice.stored == chosen);
        views->addAction(action);
        if (choice.stored == chosen)
            view.SetSpectrumView(choice.view);
        connect(action, &QAction::triggered, this, [&view, choice] {
            SaveSpectrumView(choice.stored);
            view.SetSpectrumView(choice.view);
            view.update();
        });
    }
    QAction* const inHl = menu->addAction(QStringLiteral("Hörbarkeit wie im &Audiogramm (dB HL, nach unten)"));
    inHl->setCheckable(true);
    inHl->setChecked(LoadChoice(Choice::AudibilityInHearingLevel, false));
    view.SetAudibilityInHearingLevel(inHl->isChecked());
    connect(inHl, &QAction::toggled, this, [&view](bool on) {
        SaveChoice(Choice::AudibilityInHearingLevel, on);
        view.SetAudibilityInHearingLevel(on);
        view.update();
    });
    menu->addSeparator();
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
