#include "listening_level_dialog.h"

#include "level_ranges.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kPresentationLevels[] = {50.0, 65.0, 80.0};

QString Decibels(double value)
{
    return QLocale(QLocale::German).toString(value, 'f', 1) + QStringLiteral(" dB SPL");
}

QString StateText(std::optional<double> fullScale)
{
    return fullScale ? QStringLiteral("kalibriert: 0 dB FS = %1").arg(Decibels(*fullScale))
                     : QStringLiteral("nicht kalibriert: Pegel nominell (0 dB FS = 100 dB SPL)");
}

// The full scale a typed meter reading gives: a decimal comma or point, as
// the meter shows it, within the range; nothing otherwise.
std::optional<double> TypedFullScale(const QString& text)
{
    bool ok = false;
    const QString withPoint = QString(text.trimmed()).replace(QLatin1Char(','), QLatin1Char('.'));
    const double reading = QLocale::c().toDouble(withPoint, &ok);
    const double fullScale = reading - CCalibrationTone::kLevelDbFs;
    if (!ok || !(fullScale >= kLowestFullScaleSpl && fullScale <= kHighestFullScaleSpl))
        return std::nullopt;
    return fullScale;
}

}  // namespace

CListeningLevelDialog::CListeningLevelDialog(const ListeningLevel& current, std::unique_ptr<IWaveOutDevice> toneDevice,
                                             ToneBlock block, QWidget* parent, SpeechHeadroom headroom)
    : QDialog(parent), m_result(current), m_toneBlocked(new QLabel), m_tone(std::move(toneDevice)),
      m_headroom(std::move(headroom)),
      m_state(new QLabel), m_reach(new QLabel),
      m_reading(new QLineEdit), m_speech(new QComboBox), m_toneButton(new QPushButton),
      m_resetButton(new QPushButton(QStringLiteral("Kalibrierung zurücksetzen")))
{
    setWindowTitle(QStringLiteral("Wiedergabepegel"));
    auto* const explanation = new QLabel(
        QStringLiteral("Der Kalibrierton ist ein 1-kHz-Ton bei %1 dB FS (Effektivwert). Halten Sie einen "
                       "Schallpegelmesser an den Kopfhörer und tragen Sie seine Anzeige ein.")
            .arg(CCalibrationTone::kLevelDbFs));
    explanation->setWordWrap(true);
    m_toneButton->setEnabled(block == ToneBlock::None);
    // Said where it is read, not only in a tooltip.
    m_toneBlocked->setWordWrap(true);
    if (block == ToneBlock::SourcesOn)
        m_toneBlocked->setText(QStringLiteral("Der Kalibrierton spielt erst, wenn alle Quellen aus sind: Schließen Sie "
                                              "den Dialog, schalten Sie die Quellen aus und öffnen Sie ihn wieder."));
    else if (block == ToneBlock::Live)
        m_toneBlocked->setText(QStringLiteral("Der Kalibrierton spielt nicht, während der Live-Ton läuft: Beenden Sie "
                                              "erst „Mikrofon (live)“."));
    m_toneBlocked->setVisible(block != ToneBlock::None);
    m_reading->setPlaceholderText(QStringLiteral("z. B. 74,5"));
    m_speech->addItem(QStringLiteral("wie aufgenommen"));
    m_speech->addItem(QStringLiteral("50 dB SPL (leise)"));
    m_speech->addItem(QStringLiteral("65 dB SPL (normale Unterhaltung)"));
    m_speech->addItem(QStringLiteral("80 dB SPL (laut)"));
    for (int i = 0; i < 3; ++i)
        if (current.speechLevel == kPresentationLevels[i])
            m_speech->setCurrentIndex(i + 1);

    auto* const form = new QFormLayout;
    form->addRow(QStringLiteral("Stand der Kalibrierung:"), m_state);
    form->addRow(QStringLiteral("Kalibrierton:"), m_toneButton);
    form->addRow(QString(), m_toneBlocked);
    form->addRow(QStringLiteral("Anzeige des Pegelmessers (dB SPL):"), m_reading);
    form->addRow(QString(), m_resetButton);
    form->addRow(QStringLiteral("Sprache wiedergeben mit:"), m_speech);

    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_toneButton, &QPushButton::clicked, this, [this] { ToggleTone(); });
    connect(m_resetButton, &QPushButton::clicked, this, [this] {
        m_result.fullScale.reset();
        m_reading->clear();
        ShowState();
    });

    // The status lines change while the dialog is open; room is kept for
    // their longest texts, so that nothing moves under the pointer.
    const QFontMetrics metrics = m_state->fontMetrics();
    m_state->setMinimumWidth(std::max(metrics.horizontalAdvance(StateText(kHighestFullScaleSpl)),
                                      metrics.horizontalAdvance(StateText(std::nullopt))));
    m_reach->setWordWrap(true);
    m_reach->setMinimumHeight(3 * metrics.lineSpacing());
    m_reach->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(m_reading, &QLineEdit::textChanged, this, [this] { ShowState(); });
    connect(m_speech, &QComboBox::currentIndexChanged, this, [this] { ShowState(); });

    auto* const layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(m_reach);
    layout->addWidget(buttons);
    ShowState();
}

double CListeningLevelDialog::FullScaleShown() const
{
    const std::optional<double> typed = TypedFullScale(m_reading->text());
    return typed ? *typed : m_result.FullScaleOrNominal();
}

QString CListeningLevelDialog::Reachability() const
{
    const int speech = m_speech->currentIndex();
    if (speech == 0 || !m_headroom)
        return QString();
    const double wanted = kPresentationLevels[speech - 1];
    const std::optional<double> highest = m_headroom(FullScaleShown());
    if (!highest || wanted <= *highest)
        return QString();
    return QStringLiteral("%1 sind mit dieser Kalibrierung nicht ohne Begrenzung erreichbar: Die Sprache erreicht "
                          "unverzerrt höchstens %2. Darüber hält der Begrenzer die Spitzen unter Vollaussteuerung "
                          "bzw. 100 dB SPL, und laute Stellen klingen gepresst.")
        .arg(Decibels(wanted), Decibels(*highest));
}

void CListeningLevelDialog::ShowState()
{
    // A reading typed says what it will make of the calibration.
    const std::optional<double> typed = TypedFullScale(m_reading->text());
    m_state->setText(typed ? StateText(m_result.fullScale) +
                                 QStringLiteral("\nmit der Anzeige: 0 dB FS (Vollaussteuerung) = %1, nach OK")
                                     .arg(Decibels(*typed))
                           : StateText(m_result.fullScale));
    m_reach->setText(Reachability());
    m_toneButton->setText(m_tone.Playing() ? QStringLiteral("Ton anhalten") : QStringLiteral("Ton abspielen"));
}

void CListeningLevelDialog::ToggleTone()
{
    if (m_tone.Playing())
        m_tone.Stop();
    else if (!m_tone.Start())
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Der Kalibrierton ließ sich nicht abspielen: das Audiogerät öffnet nicht. "
                                            "Prüfen Sie den Ausgang unter „Live → Audiogeräte…“."));
    ShowState();
}

QString CListeningLevelDialog::State() const
{
    return m_state->text();
}

QString CListeningLevelDialog::ToneBlocked() const
{
    return m_toneBlocked->text();
}

void CListeningLevelDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        ListeningLevel chosen = m_result;
        const QString text = m_reading->text().trimmed();
        if (!text.isEmpty()) {
            const std::optional<double> fullScale = TypedFullScale(text);
            if (!fullScale) {
                QMessageBox::warning(this, windowTitle(),
                                     QStringLiteral("Die Anzeige „%1“ ist kein Schallpegel zwischen %2 und %3 dB "
                                                    "SPL. Der Wiedergabepegel bleibt, wie er ist.")
                                         .arg(text, QString::number(kLowestFullScaleSpl + CCalibrationTone::kLevelDbFs),
                                              QString::number(kHighestFullScaleSpl + CCalibrationTone::kLevelDbFs)));
                return;
            }
            chosen.fullScale = *fullScale;
        }
        const int speech = m_speech->currentIndex();
        chosen.speechLevel = speech == 0 ? std::nullopt : std::optional<double>(kPresentationLevels[speech - 1]);
        m_result = chosen;
    }
    m_tone.Stop();
    QDialog::done(result);
}
