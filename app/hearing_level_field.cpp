#include "hearing_level_field.h"

#include "audiogram.h"
#include "audiogram_chart.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <optional>

namespace {

const QLocale kGerman(QLocale::German);

// The number in a text, with a decimal comma or point; nothing for none.
std::optional<double> Number(const QString& text)
{
    QString plain = text.trimmed();
    plain.replace(QChar(0x2212), QLatin1Char('-'));  // a typographic minus
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool OnGrid(double level)
{
    return std::fmod(level, CAudiogramChart::kStep) == 0.0;
}

}  // namespace

CHearingLevelField::CHearingLevelField(QWidget* parent) : QDoubleSpinBox(parent)
{
    setLocale(kGerman);
    // Enough decimals that a file's value is shown and kept as it is (22,25).
    setDecimals(3);
    setRange(CAudiogram::kLowestLevel, CAudiogram::kHighestLevel);
    setSingleStep(CAudiogramChart::kStep);
    setAlignment(Qt::AlignRight);
    // A value counts once the typing ends: "15" on the way to "150" is none.
    setKeyboardTracking(false);
    connect(this, &QDoubleSpinBox::valueChanged, this, [this] {
        if (m_refused)
            m_refused(QString());
    });
}

void CHearingLevelField::SetLevel(double level)
{
    m_kept = level;
    setValue(level);
    m_keptShown = value();
}

QString CHearingLevelField::Refusal(const QString& text, bool partial) const
{
    const QString trimmed = text.trimmed();
    const bool started = !trimmed.isEmpty() && trimmed != QLatin1String("-") && trimmed != QString(QChar(0x2212));
    if (!started)
        return partial ? QString() : QStringLiteral("Kein Wert eingegeben.");
    const std::optional<double> level = Number(trimmed);
    if (!level)
        return QStringLiteral("„%1“ ist kein Wert in dB HL.").arg(trimmed);
    // More digits only take a number further from 0: beyond is beyond.
    if (*level > CAudiogram::kHighestLevel || *level < CAudiogram::kLowestLevel)
        return QStringLiteral("%1 dB HL liegt außerhalb von −10 bis 120 dB HL.").arg(trimmed);
    if (partial || OnGrid(*level) || *level == m_kept || *level == m_keptShown)
        return QString();
    return QStringLiteral("%1 dB HL liegt nicht im 5-dB-Raster der Audiometer (…, %2, %3, …).")
        .arg(trimmed, kGerman.toString(std::floor(*level / CAudiogramChart::kStep) * CAudiogramChart::kStep),
             kGerman.toString(std::ceil(*level / CAudiogramChart::kStep) * CAudiogramChart::kStep));
}

QValidator::State CHearingLevelField::validate(QString& text, int&) const
{
    if (Refusal(text, false).isEmpty())
        return QValidator::Acceptable;
    // A number, or the start of one, stays visible until the typing ends.
    if (Number(text) || Refusal(text, true).isEmpty())
        return QValidator::Intermediate;
    return QValidator::Invalid;
}

double CHearingLevelField::valueFromText(const QString& text) const
{
    return Number(text).value_or(value());
}

QString CHearingLevelField::textFromValue(double value) const
{
    return kGerman.toString(value, 'g', 7);
}

void CHearingLevelField::stepBy(int steps)
{
    const double step = CAudiogramChart::kStep;
    const double level = value();
    const double onGrid = steps > 0 ? std::floor(level / step) : std::ceil(level / step);
    setValue((onGrid + steps) * step);
}

bool CHearingLevelField::RefuseTyped()
{
    const QString reason = Refusal(lineEdit()->text(), false);
    if (reason.isEmpty())
        return false;
    if (m_refused)
        m_refused(reason);
    return true;
}

void CHearingLevelField::keyPressEvent(QKeyEvent* event)
{
    // Return with text that cannot be taken stays here, refused, rather than
    // pressing the dialog's OK with the old value.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && RefuseTyped()) {
        setValue(value());  // shows the value again
        selectAll();
        event->accept();
        return;
    }
    QDoubleSpinBox::keyPressEvent(event);
}

void CHearingLevelField::focusOutEvent(QFocusEvent* event)
{
    RefuseTyped();
    QDoubleSpinBox::focusOutEvent(event);
}
