#include "hearing_aid_menu.h"

#include "child_view.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

CHearingAidMenu::CHearingAidMenu(QMenu& into, CChildView& view, const LossSettings& stored,
                                 std::function<void()> changed)
    : QObject(&into), m_view(view), m_changed(std::move(changed)), m_menu(into.addMenu(QStringLiteral("Hör&gerät")))
{
    m_why = m_menu->addAction(QString());
    m_why->setEnabled(false);
    m_menu->addSeparator();

    // The stored choice as the menu shows it: one rule, and the ears with it.
    const AidRule left = stored.aid[static_cast<int>(Ear::Left)];
    const AidRule right = stored.aid[static_cast<int>(Ear::Right)];
    const AidRule rule = left != AidRule::Off ? left : right;
    const Wearing wearing = left != AidRule::Off && right == AidRule::Off   ? kLeftEar
                            : left == AidRule::Off && right != AidRule::Off ? kRightEar
                                                                            : kBothEars;

    auto* const rules = new QActionGroup(this);
    const QString ruleNames[3] = {QStringLiteral("&Aus"), QString::fromUtf8(AidRuleName(AidRule::NalR)),
                                  QString::fromUtf8(AidRuleName(AidRule::Fig6))};
    for (int r = 0; r < 3; ++r) {
        m_rules[r] = m_menu->addAction(r == 0 ? ruleNames[r] : QStringLiteral("&") + ruleNames[r]);
        m_rules[r]->setCheckable(true);
        m_rules[r]->setChecked(static_cast<int>(rule) == r);
        rules->addAction(m_rules[r]);
        connect(m_rules[r], &QAction::triggered, this, &CHearingAidMenu::Apply);
    }
    m_menu->addSeparator();
    auto* const ears = new QActionGroup(this);
    const QString earNames[3] = {QStringLiteral("für &beide Ohren"), QStringLiteral("nur &links"),
                                 QStringLiteral("nur &rechts")};
    for (int e = 0; e < 3; ++e) {
        m_wearing[e] = m_menu->addAction(earNames[e]);
        m_wearing[e]->setCheckable(true);
        m_wearing[e]->setChecked(e == wearing);
        ears->addAction(m_wearing[e]);
        connect(m_wearing[e], &QAction::triggered, this, &CHearingAidMenu::Apply);
    }

    m_aided = into.addAction(QStringLiteral("Mit Hörgerät &hören (Vergleich)"));
    m_aided->setCheckable(true);
    m_aided->setChecked(true);
    m_aided->setShortcut(Qt::Key_H);
    m_aided->setShortcutContext(Qt::WindowShortcut);
    connect(m_aided, &QAction::toggled, this, [this](bool on) {
        m_view.Processor().SetAided(on);
        m_view.update();
    });
    connect(m_menu, &QMenu::aboutToShow, this, &CHearingAidMenu::Follow);
    Fit();
}

void CHearingAidMenu::Apply()
{
    Fit();
    m_changed();
    Follow();
    m_view.update();
}

void CHearingAidMenu::Fit()
{
    AidRule rule = AidRule::Off;
    for (int r = 0; r < 3; ++r)
        if (m_rules[r]->isChecked())
            rule = static_cast<AidRule>(r);
    const bool left = !m_wearing[kRightEar]->isChecked();
    const bool right = !m_wearing[kLeftEar]->isChecked();
    CLossProcessor& processor = m_view.Processor();
    processor.SetEarAid(Ear::Left, left ? rule : AidRule::Off);
    processor.SetEarAid(Ear::Right, right ? rule : AidRule::Off);
}

void CHearingAidMenu::Follow()
{
    const bool audiogram = m_view.Processor().AnyAudiogram();
    m_why->setText(audiogram ? QStringLiteral("Angepasst an das Audiogramm jedes Ohrs")
                             : QStringLiteral("Erst ein Audiogramm wählen: danach wird es angepasst"));
    for (QAction* const action : m_rules)
        action->setEnabled(audiogram);
    for (QAction* const action : m_wearing)
        action->setEnabled(audiogram);
    m_aided->setEnabled(m_view.Processor().AnyAid());
}
