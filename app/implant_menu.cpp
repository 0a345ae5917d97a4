#include "implant_menu.h"

#include "child_view.h"
#include "implant_dialog.h"
#include "keyboard_return.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

struct Example {
    const char* name;
    int channels;
    double shiftMm;
    std::optional<double> spreadDbPerMm;
    int nOfM;
};

// Electrical current spreads at about 2.8 dB per mm (3.1 mm to 1/e).
const Example kExamples[] = {
    {"&12 Kanäle (Voreinstellung)", 12, 0.0, std::nullopt, 0},
    {"&22 Kanäle, tiefe Insertion", 22, 0.0, std::nullopt, 0},
    {"&8 Kanäle, 4 mm flacher", 8, 4.0, std::nullopt, 0},
    {"16 Kanäle, 8 aus 16, &Stromstreuung", 16, 0.0, 2.8, 8},
};

}  // namespace

CImplantMenu::CImplantMenu(QMenu& into, CChildView& view, const LossSettings& stored, std::function<void()> changed,
                           QWidget* dialogParent)
    : QObject(&into), m_view(view), m_changed(std::move(changed)), m_dialogParent(dialogParent)
{
    QMenu* const menu = into.addMenu(QStringLiteral("&Cochleaimplantat"));
    const auto& left = stored.implant[static_cast<int>(Ear::Left)];
    const auto& right = stored.implant[static_cast<int>(Ear::Right)];
    m_settings = left ? *left : right ? *right : ImplantSettings();
    const Ears ears = left && right ? kBoth : left ? kLeft : right ? kRight : kNone;

    auto* const group = new QActionGroup(this);
    const char* const names[4] = {"&Aus", "&links", "&rechts", "&beide Ohren"};
    for (int e = 0; e < 4; ++e) {
        m_ears[e] = menu->addAction(QString::fromUtf8(names[e]));
        m_ears[e]->setCheckable(true);
        m_ears[e]->setChecked(e == ears);
        group->addAction(m_ears[e]);
        connect(m_ears[e], &QAction::triggered, this, &CImplantMenu::Apply);
    }
    menu->addSeparator();
    m_shown = menu->addAction(QString());
    m_shown->setEnabled(false);
    for (const Example& example : kExamples) {
        connect(menu->addAction(QString::fromUtf8(example.name)), &QAction::triggered, this, [this, example] {
            ImplantSettings settings;
            settings.channels = example.channels;
            settings.shiftMm = example.shiftMm;
            settings.spreadDbPerMm = example.spreadDbPerMm;
            settings.nOfM = example.nOfM;
            Choose(settings);
        });
    }
    menu->addAction(QStringLiteral("&Einstellungen…"), this, &CImplantMenu::EditSettings);
    Implant();
}

void CImplantMenu::Choose(const ImplantSettings& settings)
{
    m_settings = settings;
    Apply();
}

void CImplantMenu::EditSettings()
{
    CImplantDialog dialog(m_settings, m_dialogParent);
    const int answer = dialog.exec();
    ReturnKeyboard(m_dialogParent ? m_dialogParent->window() : nullptr, m_view);
    if (answer == QDialog::Accepted)
        Choose(dialog.Result());
}

void CImplantMenu::Apply()
{
    Implant();
    m_changed();
    m_view.Processor().ControlPlayback(m_view.Poster());
    m_view.update();
}

void CImplantMenu::Implant()
{
    const bool left = m_ears[kLeft]->isChecked() || m_ears[kBoth]->isChecked();
    const bool right = m_ears[kRight]->isChecked() || m_ears[kBoth]->isChecked();
    CLossProcessor& processor = m_view.Processor();
    processor.SetEarImplant(Ear::Left, left ? std::optional<ImplantSettings>(m_settings) : std::nullopt);
    processor.SetEarImplant(Ear::Right, right ? std::optional<ImplantSettings>(m_settings) : std::nullopt);
    m_shown->setText(CChildView::ImplantName(m_settings));
}
