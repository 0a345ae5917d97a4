#include "audiogram_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kFileFilter = QStringLiteral("Audiogramme (*.json);;Alle Dateien (*)");

int ChooseInDialog(QWidget* parent, const std::vector<Listener>& listeners)
{
    QStringList names;
    for (const Listener& listener : listeners)
        names << QString::fromStdString(listener.id == listener.name ? listener.id
                                                                     : listener.id + " (" + listener.name + ")");
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QStringLiteral("Audiogramm importieren"),
                                                 QStringLiteral("Die Datei enthält mehrere Hörer. Welcher?"), names,
                                                 0, false, &ok);
    return ok ? static_cast<int>(names.indexOf(chosen)) : -1;
}

}  // namespace

std::array<int, CAudiogramChart::kPoints> ChartLevels(const Listener& listener, Ear ear)
{
    const CAudiogram audiogram = ListenerAudiogram(listener, ear);
    std::array<int, CAudiogramChart::kPoints> levels{};
    for (int i = 0; i < CAudiogramChart::kPoints; ++i)
        levels[i] = static_cast<int>(std::lround(audiogram.LevelAt(CAudiogramChart::kHz[i])));
    return levels;
}

CAudiogramDialog::CAudiogramDialog(const Listener& start, Ear heard, QWidget* parent)
    : QDialog(parent), m_right(ChartLevels(start, Ear::Right)), m_left(ChartLevels(start, Ear::Left)),
      m_name(QString::fromStdString(start.name)), m_chart(new CAudiogramChart), m_ear(new QComboBox)
{
    setWindowTitle(QStringLiteral("Audiogramm"));
    m_ear->addItem(QStringLiteral("Rechtes Ohr (O, rot)"));
    m_ear->addItem(QStringLiteral("Linkes Ohr (X, blau)"));
    m_ear->setCurrentIndex(heard == Ear::Left ? 1 : 0);

    auto* const earRow = new QHBoxLayout;
    earRow->addWidget(new QLabel(QStringLiteral("Gehört wird das:")));
    earRow->addWidget(m_ear);
    earRow->addStretch();

    auto* const fields = new QGridLayout;
    for (int i = 0; i < CAudiogramChart::kPoints; ++i) {
        const double hz = CAudiogramChart::kHz[i];
        fields->addWidget(new QLabel(QString::number(hz) + QStringLiteral(" Hz")), 0, i, Qt::AlignCenter);
        QSpinBox* const field = new QSpinBox;
        field->setRange(CAudiogramChart::kTopLevel, CAudiogramChart::kBottomLevel);
        field->setSingleStep(CAudiogramChart::kStep);
        field->setAccessibleName(QString::number(hz) + QStringLiteral(" Hz in dB HL"));
        fields->addWidget(field, 1, i);
        m_fields[i] = field;
        connect(field, &QSpinBox::valueChanged, this, [this, i](int level) {
            Shown()[i] = level;
            m_chart->SetEar(m_ear->currentIndex() == 0, Shown());
        });
    }
    m_chart->SetChangedHandler([this](int point, int level) {
        Shown()[point] = level;
        m_fields[point]->setValue(level);
    });
    connect(m_ear, &QComboBox::currentIndexChanged, this, [this] { ShowEar(); });

    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QPushButton* const importButton = buttons->addButton(QStringLiteral("Importieren…"), QDialogButtonBox::ActionRole);
    QPushButton* const exportButton = buttons->addButton(QStringLiteral("Exportieren…"), QDialogButtonBox::ActionRole);
    connect(importButton, &QPushButton::clicked, this, [this] { Import(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { Export(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* const layout = new QVBoxLayout(this);
    layout->addLayout(earRow);
    layout->addWidget(m_chart, 1);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    ShowEar();
}

std::array<int, CAudiogramChart::kPoints>& CAudiogramDialog::Shown()
{
    return m_ear->currentIndex() == 0 ? m_right : m_left;
}

void CAudiogramDialog::ShowEar()
{
    const std::array<int, CAudiogramChart::kPoints> levels = Shown();
    for (int i = 0; i < CAudiogramChart::kPoints; ++i)
        m_fields[i]->setValue(levels[i]);
    m_chart->SetEar(m_ear->currentIndex() == 0, levels);
}

Listener CAudiogramDialog::Entered() const
{
    Listener listener;
    listener.id = "Sonafel";
    listener.name = m_name.isEmpty() ? listener.id : m_name.toStdString();
    listener.hz.assign(CAudiogramChart::kHz.begin(), CAudiogramChart::kHz.end());
    listener.left.assign(m_left.begin(), m_left.end());
    listener.right.assign(m_right.begin(), m_right.end());
    return listener;
}

Ear CAudiogramDialog::HeardEar() const
{
    return m_ear->currentIndex() == 1 ? Ear::Left : Ear::Right;
}

bool CAudiogramDialog::ImportFrom(const QString& path, const ListenerChooser& choose)
{
    std::string error;
    const auto listeners = ReadListenerFile(path.toStdString(), error);
    if (!listeners) {
        Warn(QString::fromStdString(error));
        return false;
    }
    const int chosen = listeners->size() == 1 ? 0 : choose(*listeners);
    if (chosen < 0 || chosen >= static_cast<int>(listeners->size()))
        return false;
    const Listener& listener = (*listeners)[chosen];
    m_right = ChartLevels(listener, Ear::Right);
    m_left = ChartLevels(listener, Ear::Left);
    m_name = QString::fromStdString(listener.name);
    ShowEar();
    return true;
}

bool CAudiogramDialog::ExportTo(const QString& path)
{
    std::string error;
    if (!WriteListenerFile(path.toStdString(), Entered(), error)) {
        Warn(QString::fromStdString(error));
        return false;
    }
    return true;
}

void CAudiogramDialog::Import()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Audiogramm importieren"), QString(), kFileFilter);
    if (!path.isEmpty())
        ImportFrom(path, [this](const std::vector<Listener>& listeners) { return ChooseInDialog(this, listeners); });
}

void CAudiogramDialog::Export()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Audiogramm exportieren"),
                                                      QStringLiteral("audiogramm.json"), kFileFilter);
    if (!path.isEmpty())
        ExportTo(path);
}

void CAudiogramDialog::Warn(const QString& text)
{
    QMessageBox::warning(this, windowTitle(), text);
}
