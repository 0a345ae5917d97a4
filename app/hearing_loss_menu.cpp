#include "hearing_loss_menu.h"

#include "audiogram_dialog.h"
#include "audiogram_presets.h"
#include "audiogram_settings.h"
#include "child_view.h"
#include "listening_level_dialog.h"
#include "mem_play.h"
#include "wave_out_choice.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <map>

CHearingLossMenu::CHearingLossMenu(QMenuBar& menuBar, CChildView& view, QWidget* dialogParent)
    : QObject(&menuBar), m_view(view), m_dialogParent(dialogParent), m_choices(new QActionGroup(this))
{
    m_choices->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    QMenu* const menu = menuBar.addMenu(QStringLiteral("Hör&verlust"));
    menu->addAction(QStringLiteral("&Audiogramm…"), this, &CHearingLossMenu::EnterAudiogram);
    menu->addSeparator();

    std::map<std::string, QMenu*> groups;
    for (const AudiogramPreset& preset : AudiogramPresets()) {
        QMenu* into = menu;
        if (!preset.group.empty()) {
            QMenu*& group = groups[preset.group];
            if (!group)
                group = menu->addMenu(QString::fromStdString(preset.group));
            into = group;
        }
        QAction* const choice = into->addAction(QString::fromStdString(preset.name));
        choice->setCheckable(true);
        m_choices->addAction(choice);
        const AudiogramPreset* const chosen = &preset;
        connect(choice, &QAction::triggered, this,
                [this, chosen] { UseAudiogram(&chosen->audiogram, QString::fromStdString(chosen->name)); });
    }
    menu->addSeparator();

    QAction* const normalHearing = menu->addAction(QStringLiteral("&Normal hören (Vergleich)"));
    normalHearing->setCheckable(true);
    normalHearing->setShortcut(Qt::Key_Space);
    normalHearing->setShortcutContext(Qt::WindowShortcut);
    connect(normalHearing, &QAction::toggled, this, [this](bool on) {
        m_view.SetNormalHearing(on);
        m_view.update();
    });

    QAction* const none = menu->addAction(QStringLiteral("&Kein Audiogramm"));
    connect(none, &QAction::triggered, this, [this] {
        if (QAction* checked = m_choices->checkedAction())
            checked->setChecked(false);
        UseAudiogram(nullptr, QString());
    });
    menu->addSeparator();

    QAction* const recruitment = menu->addAction(QStringLiteral("&Lautheitsausgleich (Recruitment)"));
    recruitment->setCheckable(true);
    recruitment->setChecked(m_view.Recruitment());
    connect(recruitment, &QAction::toggled, this, [this](bool on) {
        m_view.SetRecruitment(on);
        m_view.update();
    });
    QAction* const smearing = menu->addAction(QStringLiteral("&Verschmierung nach Audiogramm"));
    smearing->setCheckable(true);
    smearing->setChecked(m_view.AudiogramSmearing());
    connect(smearing, &QAction::toggled, this, [this](bool on) { m_view.SetAudiogramSmearing(on); });
    m_splDisplay = menu->addAction(QStringLiteral("Spektrum in dB &SPL"));
    m_splDisplay->setCheckable(true);
    connect(m_splDisplay, &QAction::toggled, this, [this](bool on) {
        m_view.SetSplDisplay(on);
        m_view.update();
    });
    menu->addAction(QStringLiteral("&Wiedergabepegel…"), this, &CHearingLossMenu::SetListeningLevel);

    UseListeningLevel(LoadListeningLevel());
}

void CHearingLossMenu::UseListeningLevel(const ListeningLevel& level)
{
    m_view.SetFullScaleLevel(level.FullScaleOrNominal());
    m_view.SetPresentationLevel(level.speechLevel);
    m_view.SetCalibrated(level.fullScale.has_value());
    // The spectrum in dB SPL only where levels are known.
    m_splDisplay->setEnabled(level.fullScale.has_value());
    if (!level.fullScale)
        m_splDisplay->setChecked(false);
    m_view.update();
}

void CHearingLossMenu::SetListeningLevel()
{
    CListeningLevelDialog dialog(LoadListeningLevel(), MakeWaveOutDevice(), g_memPlay.m_bOpen != 0, m_dialogParent,
                                 [this](double fullScale) { return m_view.HighestUnlimitedSpeechLevel(fullScale); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveListeningLevel(dialog.Result());
    UseListeningLevel(dialog.Result());
}

void CHearingLossMenu::UseAudiogram(const CAudiogram* audiogram, const QString& name)
{
    m_view.SetAudiogram(audiogram);
    m_view.SetAudiogramName(name);
    m_view.update();
}

void CHearingLossMenu::EnterAudiogram()
{
    StoredAudiogram start;
    if (const auto stored = LoadLastAudiogram()) {
        start = *stored;
    } else {
        start.listener.id = start.listener.name = "Sonafel";
        start.listener.hz.assign(CAudiogramChart::kHz.begin(), CAudiogramChart::kHz.end());
        start.listener.left.assign(CAudiogramChart::kPoints, 0.0);
        start.listener.right.assign(CAudiogramChart::kPoints, 0.0);
    }
    CAudiogramDialog dialog(start.listener, start.heard, m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StoredAudiogram entered{dialog.Entered(), dialog.HeardEar()};
    SaveLastAudiogram(entered);
    if (QAction* checked = m_choices->checkedAction())
        checked->setChecked(false);
    const CAudiogram audiogram = ListenerAudiogram(entered.listener, entered.heard);
    UseAudiogram(&audiogram, entered.heard == Ear::Left ? QStringLiteral("eingegeben, linkes Ohr")
                                                        : QStringLiteral("eingegeben, rechtes Ohr"));
}
