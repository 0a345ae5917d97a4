#include "implant_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

using S = ImplantSettings;

QDoubleSpinBox* Field(double low, double high, double value, int decimals, const QString& suffix)
{
    auto* const field = new QDoubleSpinBox;
    field->setLocale(QLocale(QLocale::German));
    field->setRange(low, high);
    field->setDecimals(decimals);
    field->setValue(value);
    field->setSuffix(suffix);
    return field;
}

}  // namespace

CImplantDialog::CImplantDialog(const ImplantSettings& start, QWidget* parent)
    : QDialog(parent),
      m_channels(new QSpinBox),
      m_carrier(new QComboBox),
      m_low(Field(S::kLowestHz, S::kHighestHz / S::kNarrowestRange, start.lowHz, 0, QStringLiteral(" Hz"))),
      m_high(Field(S::kLowestHz * S::kNarrowestRange, S::kHighestHz, start.highHz, 0, QStringLiteral(" Hz"))),
      m_envelope(Field(S::kSlowestEnvelopeHz, S::kFastestEnvelopeHz, start.envelopeHz, 0, QStringLiteral(" Hz"))),
      m_shift(Field(0.0, S::kDeepestShiftMm, start.shiftMm, 1, QStringLiteral(" mm"))),
      m_spreadOn(new QCheckBox(QStringLiteral("&Stromstreuung entlang der Cochlea"))),
      m_spread(Field(S::kShallowestSpreadDbPerMm, S::kSteepestSpreadDbPerMm, start.spreadDbPerMm.value_or(2.8), 1,
                     QStringLiteral(" dB/mm"))),
      m_nOfM(new QSpinBox),
      m_problem(new QLabel),
      m_ok(nullptr)
{
    setWindowTitle(QStringLiteral("Cochleaimplantat – Einstellungen"));
    m_channels->setRange(S::kFewestChannels, S::kMostChannels);
    m_channels->setValue(start.channels);
    m_carrier->addItems({QStringLiteral("Rauschen"), QStringLiteral("Sinus")});
    m_carrier->setCurrentIndex(start.carrier == ImplantCarrier::Sine ? 1 : 0);
    m_spreadOn->setChecked(start.spreadDbPerMm.has_value());
    m_spread->setEnabled(start.spreadDbPerMm.has_value());
    m_nOfM->setRange(0, S::kMostChannels);
    m_nOfM->setSpecialValueText(QStringLiteral("alle"));
    m_nOfM->setValue(start.nOfM);

    auto* const form = new QFormLayout;
    form->addRow(QStringLiteral("&Kanäle (1 bis 22):"), m_channels);
    form->addRow(QStringLiteral("&Träger:"), m_carrier);
    form->addRow(QStringLiteral("Analysiert &ab (100 bis 5000 Hz):"), m_low);
    form->addRow(QStringLiteral("analysiert &bis (200 bis 10000 Hz, mindestens das Doppelte):"), m_high);
    form->addRow(QStringLiteral("&Hüllkurve bis (50 bis 400 Hz):"), m_envelope);
    form->addRow(QStringLiteral("Elektroden zur Basis &verschoben (0 bis 8 mm, flachere Insertion):"), m_shift);
    form->addRow(m_spreadOn, m_spread);
    form->addRow(QStringLiteral("&Nur die stärksten Kanäle je Zeitfenster (n aus m):"), m_nOfM);

    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_spreadOn, &QCheckBox::toggled, m_spread, &QWidget::setEnabled);
    for (QSpinBox* const field : {m_channels, m_nOfM})
        connect(field, &QSpinBox::valueChanged, this, &CImplantDialog::Check);
    for (QDoubleSpinBox* const field : {m_low, m_high})
        connect(field, &QDoubleSpinBox::valueChanged, this, &CImplantDialog::Check);

    auto* const layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    Check();
}

ImplantSettings CImplantDialog::Result() const
{
    ImplantSettings result;
    result.channels = m_channels->value();
    result.carrier = m_carrier->currentIndex() == 1 ? ImplantCarrier::Sine : ImplantCarrier::Noise;
    result.lowHz = m_low->value();
    result.highHz = m_high->value();
    result.envelopeHz = m_envelope->value();
    result.shiftMm = m_shift->value();
    if (m_spreadOn->isChecked())
        result.spreadDbPerMm = m_spread->value();
    result.nOfM = m_nOfM->value();
    return result;
}

QString CImplantDialog::Problem() const
{
    return m_problem->text();
}

void CImplantDialog::Check()
{
    const ImplantSettings result = Result();
    const bool range = result.highHz >= S::kNarrowestRange * result.lowHz;
    const bool nOfM = result.nOfM <= result.channels;
    m_problem->setText(!range  ? QStringLiteral("Das obere Ende muss mindestens doppelt so hoch sein wie das untere.")
                       : !nOfM ? QStringLiteral("n aus m: höchstens so viele Kanäle, wie es gibt.")
                               : QString());
    m_ok->setEnabled(ImplantSettingsProblem(result).empty());
}
