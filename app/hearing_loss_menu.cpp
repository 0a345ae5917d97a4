#include "hearing_loss_menu.h"

#include "audio_devices.h"
#include "audiogram_dialog.h"
#include "audiogram_presets.h"
#include "audiogram_settings.h"
#include "child_view.h"
#include "hearing_aid_menu.h"
#include "implant_menu.h"
#include "keyboard_return.h"
#include "listening_level_dialog.h"
#include "mem_play.h"
#include "wave_out_choice.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <map>

namespace {

// A standard loss as the dialog shows it: the same thresholds in both ears.
StoredAudiogram PresetListener(const AudiogramPreset& preset)
{
    StoredAudiogram stored;
    stored.listener.id = preset.key;
    stored.listener.name = preset.name;
    for (const AudiogramPoint& point : preset.audiogram.Points()) {
        stored.listener.hz.push_back(point.hz);
        stored.listener.right.push_back(point.hearingLevel);
        stored.listener.left.push_back(point.hearingLevel);
    }
    return stored;
}

}  // namespace

CHearingLossMenu::CHearingLossMenu(QMenuBar& menuBar, CChildView& view, QWidget* dialogParent)
    : QObject(&menuBar), m_view(view), m_dialogParent(dialogParent), m_choices(new QActionGroup(this))
{
    m_choices->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const StoredLossSettings stored = LoadLossSettings();
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
        choice->setData(QString::fromStdString(preset.key));
        m_choices->addAction(choice);
        const AudiogramPreset* const chosen = &preset;
        connect(choice, &QAction::triggered, this, [this, chosen] {
            UseAudiogram(&chosen->audiogram, &chosen->audiogram, QString::fromStdString(chosen->name),
                         PresetListener(*chosen), chosen->key);
        });
    }
    menu->addSeparator();

    auto* const ears = new QActionGroup(this);
    const QString earNames[3] = {QStringLiteral("&Beide Ohren"), QStringLiteral("Nur l&inks"),
                                 QStringLiteral("Nur &rechts")};
    const EarsHeard heard = stored.settings.ears;
    for (int e = 0; e < 3; ++e) {
        m_earsHeard[e] = menu->addAction(earNames[e]);
        m_earsHeard[e]->setCheckable(true);
        m_earsHeard[e]->setChecked(static_cast<int>(heard) == e);
        ears->addAction(m_earsHeard[e]);
        connect(m_earsHeard[e], &QAction::triggered, this, [this, e] { HearEars(static_cast<EarsHeard>(e)); });
    }
    m_view.Processor().SetEarsHeard(heard);
    menu->addSeparator();

    m_normalHearing = menu->addAction(QStringLiteral("&Normal hören (Vergleich)"));
    m_normalHearing->setCheckable(true);
    m_normalHearing->setShortcut(Qt::Key_Space);
    m_normalHearing->setShortcutContext(Qt::WindowShortcut);
    connect(m_normalHearing, &QAction::toggled, this, [this](bool on) {
        m_view.Processor().SetNormalHearing(on);
        m_view.update();
    });

    m_aid = new CHearingAidMenu(*menu, m_view, stored.settings, [this] { StoreSettings(); });
    new CImplantMenu(*menu, m_view, stored.settings, [this] { StoreSettings(); }, m_dialogParent);

    QAction* const none = menu->addAction(QStringLiteral("&Kein Audiogramm"));
    connect(none, &QAction::triggered, this, [this] {
        if (QAction* checked = m_choices->checkedAction())
            checked->setChecked(false);
        UseAudiogram(nullptr, nullptr, QString());
    });
    menu->addSeparator();

    QAction* const recruitment = menu->addAction(QStringLiteral("&Lautheitsausgleich (Recruitment)"));
    recruitment->setCheckable(true);
    m_view.Processor().SetRecruitment(stored.settings.recruitment);
    recruitment->setChecked(m_view.Processor().Recruitment());
    connect(recruitment, &QAction::toggled, this, [this](bool on) {
        m_view.Processor().SetRecruitment(on);
        StoreSettings();
        m_view.update();
    });
    QAction* const smearing = menu->addAction(QStringLiteral("&Verschmierung nach Audiogramm"));
    smearing->setCheckable(true);
    m_view.Processor().SetAudiogramSmearing(stored.settings.smearingFromAudiogram);
    smearing->setChecked(m_view.Processor().AudiogramSmearing());
    connect(smearing, &QAction::toggled, this, [this](bool on) {
        m_view.Processor().SetAudiogramSmearing(on);
        StoreSettings();
    });
    menu->addAction(QStringLiteral("&Wiedergabepegel…"), this, &CHearingLossMenu::SetListeningLevel);

    UseListeningLevel(stored.Level());
    RestoreActiveLoss();
}

void CHearingLossMenu::RestoreActiveLoss()
{
    const std::optional<ActiveLoss> loss = LoadActiveLoss();
    if (!loss)
        return;
    if (!loss->presetKey.empty()) {
        // As if chosen from the menu, which then shows it checked; a key no
        // longer known is forgotten.
        for (QAction* choice : m_choices->actions())
            if (choice->data().toString().toStdString() == loss->presetKey)
                choice->trigger();
        return;
    }
    const CAudiogram left = ListenerAudiogram(loss->audiogram.listener, Ear::Left);
    const CAudiogram right = ListenerAudiogram(loss->audiogram.listener, Ear::Right);
    UseAudiogram(&left, &right, loss->name, loss->audiogram);
}

void CHearingLossMenu::UseListeningLevel(const ListeningLevel& level)
{
    m_view.Processor().SetFullScaleLevel(level.FullScaleOrNominal());
    m_view.Processor().SetPresentationLevel(level.speechLevel);
    m_bCalibrated = level.fullScale.has_value();
    m_view.SetCalibrated(m_bCalibrated);
    m_view.update();
}

void CHearingLossMenu::SetListeningLevel()
{
    // The tone plays where the meter is: on the output chosen for the sound.
    std::unique_ptr<IWaveOutDevice> toneDevice = MakeWaveOutDevice();
    toneDevice->SetOutputDevice(LoadAudioDevices().output);
    using Block = CListeningLevelDialog::ToneBlock;
    const Block block = m_view.Live() ? Block::Live : g_memPlay.m_bOpen ? Block::SourcesOn : Block::None;
    CListeningLevelDialog dialog(
        StoredLossSettings{m_view.Processor().Settings(), m_bCalibrated}.Level(), std::move(toneDevice), block,
        m_dialogParent,
        [this](double fullScale) { return m_view.Processor().HighestUnlimitedSpeechLevel(fullScale); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    UseListeningLevel(dialog.Result());
    StoreSettings();
}

void CHearingLossMenu::UseAudiogram(const CAudiogram* left, const CAudiogram* right, const QString& name,
                                    const std::optional<StoredAudiogram>& listener, const std::string& presetKey)
{
    m_active = left || right ? listener : std::nullopt;
    SaveActiveLoss(m_active ? std::optional<ActiveLoss>(ActiveLoss{presetKey, *m_active, name}) : std::nullopt);
    m_normalHearing->setChecked(false);
    m_view.Processor().SetEarAudiogram(Ear::Left, left);
    m_view.Processor().SetEarAudiogram(Ear::Right, right);
    m_view.SetAudiogramName(name);
    FollowEars();
}

void CHearingLossMenu::HearEars(EarsHeard ears)
{
    m_earsHeard[static_cast<int>(ears)]->setChecked(true);
    m_view.Processor().SetEarsHeard(ears);
    StoreSettings();
    FollowEars();
}

void CHearingLossMenu::StoreSettings() const
{
    SaveLossSettings({m_view.Processor().Settings(), m_bCalibrated});
}

void CHearingLossMenu::FollowEars()
{
    if (m_aid)
        m_aid->Follow();
    m_view.Processor().ControlPlayback(m_view.Poster());
    m_view.update();
}

void CHearingLossMenu::EnterAudiogram()
{
    StoredAudiogram start;
    std::string damage;
    if (m_active) {
        start = *m_active;
    } else if (const auto stored = LoadLastAudiogram(&damage)) {
        start = *stored;
    } else {
        start.listener.id = "Sonafel";
        start.listener.hz.assign(CAudiogramChart::kHz.begin(), CAudiogramChart::kHz.end());
        start.listener.left.assign(CAudiogramChart::kPoints, 0.0);
        start.listener.right.assign(CAudiogramChart::kPoints, 0.0);
    }
    if (!damage.empty())
        QMessageBox::warning(m_dialogParent, QStringLiteral("Audiogramm"),
                             QStringLiteral("Das zuletzt eingegebene Audiogramm ist in den Einstellungen beschädigt "
                                            "und wird nicht verwendet; der Dialog beginnt leer. (%1)")
                                 .arg(QString::fromStdString(damage)));
    CAudiogramDialog dialog(start.listener, start.edited, m_dialogParent);
    dialog.SetAidRules({m_view.Processor().EarChain(Ear::Left).AidRuleChosen(),
                        m_view.Processor().EarChain(Ear::Right).AidRuleChosen()});
    const int answer = dialog.exec();
    ReturnKeyboard(m_dialogParent ? m_dialogParent->window() : nullptr, m_view);
    if (answer != QDialog::Accepted)
        return;
    const StoredAudiogram entered{dialog.Entered(), dialog.EditedEar()};
    SaveLastAudiogram(entered);
    if (QAction* checked = m_choices->checkedAction())
        checked->setChecked(false);
    const CAudiogram left = ListenerAudiogram(entered.listener, Ear::Left);
    const CAudiogram right = ListenerAudiogram(entered.listener, Ear::Right);
    UseAudiogram(&left, &right, dialog.DisplayName(), entered);
}
