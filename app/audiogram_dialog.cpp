#include "audiogram_dialog.h"

#include "audiogram_folder.h"
#include "audiogram_presets.h"
#include "audiogram_print.h"
#include "sii_summary.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QDate>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
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

// The key of an audiogram entered without a file: "Sonafel" until named.
const char* const kEnteredId = "Sonafel";

// A listener key from a name: its letters and digits, spaces and dots as
// underscores; "Sonafel" for a name without any.
std::string KeyFromName(const std::string& name)
{
    QString key;
    for (const QChar c : QString::fromStdString(name))
        key += c.isLetterOrNumber() || c == QLatin1Char('-') ? c : QChar(QLatin1Char('_'));
    while (key.contains(QStringLiteral("__")))
        key.replace(QStringLiteral("__"), QStringLiteral("_"));
    key = key.remove(QRegularExpression(QStringLiteral("^_+|_+$")));
    return key.isEmpty() ? kEnteredId : key.toStdString();
}

QString HzText(double hz)
{
    return QLocale(QLocale::German).toString(hz, 'g', 6) + QStringLiteral(" Hz");
}

}  // namespace

CAudiogramDialog::CAudiogramDialog(const Listener& start, Ear edited, QWidget* parent)
    : QDialog(parent), m_listener(start), m_chart(new CAudiogramChart), m_ear(new QComboBox),
      m_standardLoss(new QComboBox),
      m_name(new QLineEdit(QString::fromStdString(start.name))), m_fieldGrid(new QGridLayout),
      m_frequency(new QComboBox), m_add(new QPushButton(QStringLiteral("&Hinzufügen"))),
      m_remove(new QPushButton(QStringLiteral("&Entfernen"))),
      m_copy(new QPushButton(QStringLiteral("Beide Ohren &gleich"))),
      m_take(new QPushButton(QStringLiteral("Für dieses Ohr ü&bernehmen"))), m_refusal(new QLabel),
      m_aidGains(new QLabel), m_index(new QLabel)
{
    setWindowTitle(QStringLiteral("Audiogramm"));
    m_ear->addItem(QStringLiteral("Rechtes Ohr (O, rot)"));
    m_ear->addItem(QStringLiteral("Linkes Ohr (X, blau)"));
    m_ear->setCurrentIndex(edited == Ear::Left ? 1 : 0);
    m_copy->setToolTip(QStringLiteral("Das andere Ohr erhält die Werte des bearbeiteten Ohrs."));
    connect(m_copy, &QPushButton::clicked, this, [this] { AskAndCopyToOtherEar(); });
    // Each field is named by its label, which also gives it its key.
    const auto labelFor = [this](const QString& text, QWidget* buddy) {
        auto* const label = new QLabel(text, this);
        label->setBuddy(buddy);
        buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        return label;
    };

    auto* const earRow = new QHBoxLayout;
    earRow->addWidget(labelFor(QStringLiteral("&Name:"), m_name));
    earRow->addWidget(m_name, 1);
    earRow->addSpacing(20);
    earRow->addWidget(labelFor(QStringLiteral("&Ohr bearbeiten:"), m_ear));
    m_ear->setAccessibleName(QStringLiteral("Bearbeitetes Ohr"));
    earRow->addWidget(m_ear);
    earRow->addWidget(m_copy);

    for (const AudiogramPreset& preset : AudiogramPresets())
        m_standardLoss->addItem(QString::fromStdString(preset.name), QString::fromStdString(preset.key));
    connect(m_take, &QPushButton::clicked, this, [this] {
        if (const AudiogramPreset* preset = FindAudiogramPreset(m_standardLoss->currentData().toString().toStdString()))
            TakeStandardLoss(preset->audiogram);
    });
    auto* const standardRow = new QHBoxLayout;
    standardRow->addWidget(labelFor(QStringLiteral("&Standardverlust:"), m_standardLoss));
    standardRow->addWidget(m_standardLoss, 1);
    standardRow->addWidget(m_take);

    auto* const frequencyRow = new QHBoxLayout;
    frequencyRow->addWidget(labelFor(QStringLiteral("&Frequenz:"), m_frequency));
    frequencyRow->addWidget(m_frequency);
    frequencyRow->addWidget(m_add);
    frequencyRow->addWidget(m_remove);
    frequencyRow->addStretch();
    connect(m_frequency, &QComboBox::currentIndexChanged, this, [this] { OfferFrequencies(); });
    connect(m_add, &QPushButton::clicked, this, [this] { AddFrequency(m_frequency->currentData().toDouble()); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveFrequency(m_frequency->currentData().toDouble()); });

    // One line kept for the reason a value was refused, so that nothing moves.
    QPalette warning = m_refusal->palette();
    warning.setColor(QPalette::WindowText, QColor(180, 0, 0));
    m_refusal->setPalette(warning);
    m_refusal->setMinimumHeight(m_refusal->fontMetrics().lineSpacing());
    m_refusal->setAccessibleName(QStringLiteral("Hinweis"));

    m_chart->SetChangedHandler([this](int point, int level) { m_fields[point]->setValue(level); });
    connect(m_ear, &QComboBox::currentIndexChanged, this, [this] { ShowEar(); });

    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QPushButton* const importButton = buttons->addButton(QStringLiteral("&Importieren…"), QDialogButtonBox::ActionRole);
    QPushButton* const exportButton = buttons->addButton(QStringLiteral("E&xportieren…"), QDialogButtonBox::ActionRole);
    QPushButton* const printButton = buttons->addButton(QStringLiteral("&Drucken…"), QDialogButtonBox::ActionRole);
    connect(importButton, &QPushButton::clicked, this, [this] { Import(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { Export(); });
    connect(printButton, &QPushButton::clicked, this, [this] { Print(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* const layout = new QVBoxLayout(this);
    layout->addLayout(earRow);
    layout->addWidget(m_chart, 1);
    layout->addLayout(m_fieldGrid);
    layout->addWidget(m_refusal);
    layout->addWidget(m_index);
    layout->addWidget(m_aidGains);
    layout->addLayout(frequencyRow);
    layout->addLayout(standardRow);
    layout->addWidget(buttons);
    BuildFields();
    m_opened = Entered();
}

bool CAudiogramDialog::Changed() const
{
    const Listener now = Entered();
    return now.id != m_opened.id || now.name != m_opened.name || now.hz != m_opened.hz ||
           now.left != m_opened.left || now.right != m_opened.right;
}

bool CAudiogramDialog::Confirm(const QString& question, const QString& yes, QMessageBox::ButtonRole yesRole,
                               const QString& no)
{
    // The safe answer is the default one, and Escape's.
    QMessageBox box(QMessageBox::Question, windowTitle(), question, QMessageBox::NoButton, this);
    QPushButton* const confirmed = box.addButton(yes, yesRole);
    QPushButton* const kept = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(kept);
    box.setEscapeButton(kept);
    box.exec();
    return box.clickedButton() == confirmed;
}

void CAudiogramDialog::reject()
{
    if (Changed() && !Confirm(QStringLiteral("Das Audiogramm wurde geändert. Sollen die Änderungen verworfen werden?"),
                              QStringLiteral("&Verwerfen"), QMessageBox::DestructiveRole,
                              QStringLiteral("&Weiter bearbeiten")))
        return;
    QDialog::reject();
}

std::vector<double>& CAudiogramDialog::Shown()
{
    return m_ear->currentIndex() == 0 ? m_listener.right : m_listener.left;
}

void CAudiogramDialog::BuildFields()
{
    for (QWidget* widget : m_fieldWidgets)
        delete widget;
    m_fieldWidgets.clear();
    m_fields.clear();
    for (int i = 0; i < static_cast<int>(m_listener.hz.size()); ++i) {
        const QString hz = HzText(m_listener.hz[i]);
        auto* const label = new QLabel(hz);
        m_fieldGrid->addWidget(label, 0, i, Qt::AlignCenter);
        auto* const field = new CHearingLevelField;
        field->setAccessibleName(hz + QStringLiteral(" in dB HL"));
        m_fieldGrid->addWidget(field, 1, i);
        // A refusal names its frequency, is announced, and goes at the next keystroke.
        field->SetRefusalHandler([this, hz](const QString& reason) { ShowRefusal(reason.isEmpty() ? reason : hz + QStringLiteral(": ") + reason); });
        connect(field->findChild<QLineEdit*>(), &QLineEdit::textEdited, this, [this] { ShowRefusal(QString()); });
        connect(field, &QDoubleSpinBox::valueChanged, this, [this, i](double level) {
            Shown()[i] = level;
            ShowLevels();
        });
        m_fieldWidgets.push_back(label);
        m_fieldWidgets.push_back(field);
        m_fields.push_back(field);
    }
    OrderTabs();
    ShowEar();
    OfferFrequencies();
}

void CAudiogramDialog::OrderTabs()
{
    // The fields are made after the rows below them, and rebuilt.
    std::vector<QWidget*> order = {m_name, m_ear, m_copy};
    order.insert(order.end(), m_fields.begin(), m_fields.end());
    order.insert(order.end(), {m_frequency, m_add, m_remove, m_standardLoss, m_take});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CAudiogramDialog::ShowEar()
{
    // Shown as they are: only what the user changes is written back.
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QSignalBlocker quiet(m_fields[i]);
        m_fields[i]->SetLevel(Shown()[i]);
    }
    ShowLevels();
}

void CAudiogramDialog::ShowLevels()
{
    m_chart->SetEars(m_listener.hz, m_listener.left, m_listener.right, EditedEar());
    m_index->setText(SiiSummary(Entered(), m_aidRules).join(QLatin1Char('\n')));
    const std::optional<AidGainTable> table = MakeAidGainTable(Entered(), m_aidRules);
    m_aidGains->setVisible(table.has_value());
    if (!table)
        return;
    // A small table: the frequencies, then a row per ear and input level.
    QString html = QStringLiteral("<b>") + table->title.toHtmlEscaped() + QStringLiteral("</b><table><tr><td>Hz</td>");
    for (const double hz : table->hz)
        html += QStringLiteral("<td align=right>&nbsp;%1</td>").arg(QLocale(QLocale::German).toString(hz, 'g', 6));
    for (const auto& [label, gains] : table->rows) {
        html += QStringLiteral("</tr><tr><td>") + label.toHtmlEscaped() + QStringLiteral("</td>");
        for (const double gain : gains)
            html += QStringLiteral("<td align=right>&nbsp;%1</td>").arg(GainText(gain));
    }
    m_aidGains->setText(html + QStringLiteral("</tr></table>"));
}

void CAudiogramDialog::SetAidRules(const AidRules& rules)
{
    m_aidRules = rules;
    ShowLevels();
}

QString CAudiogramDialog::IndexShown() const
{
    return m_index->text();
}

QString CAudiogramDialog::AidGainsShown() const
{
    return m_aidGains->isHidden() ? QString() : m_aidGains->text();
}

void CAudiogramDialog::AskAndCopyToOtherEar()
{
    const std::vector<double>& other = EditedEar() == Ear::Left ? m_listener.right : m_listener.left;
    if (other != Shown() &&
        !Confirm(QStringLiteral("Das andere Ohr hat eigene Werte. Sollen sie durch die des bearbeiteten Ohrs ersetzt "
                                "werden?"),
                 QStringLiteral("Ersetzen"), QMessageBox::AcceptRole, QStringLiteral("Abbrechen")))
        return;
    CopyToOtherEar();
}

void CAudiogramDialog::CopyToOtherEar()
{
    (EditedEar() == Ear::Left ? m_listener.right : m_listener.left) = Shown();
    ShowEar();
}

void CAudiogramDialog::TakeStandardLoss(const CAudiogram& loss)
{
    bool added = false;
    for (const AudiogramPoint& point : loss.Points())
        added = InsertFrequency(point.hz) || added;
    // The loss's own values, also where they lie between the 5 dB steps.
    for (std::size_t i = 0; i < m_listener.hz.size(); ++i)
        Shown()[i] = loss.LevelAt(m_listener.hz[i]);
    if (added)
        BuildFields();
    else
        ShowEar();
}

void CAudiogramDialog::OfferFrequencies()
{
    // The audiometric frequencies and any other the audiogram has.
    std::vector<double> offered(CAudiogramChart::kHz.begin(), CAudiogramChart::kHz.end());
    offered.insert(offered.end(), m_listener.hz.begin(), m_listener.hz.end());
    std::sort(offered.begin(), offered.end());
    offered.erase(std::unique(offered.begin(), offered.end()), offered.end());
    const double chosen = m_frequency->currentIndex() >= 0 ? m_frequency->currentData().toDouble() : 1000.0;
    if (m_frequency->count() != static_cast<int>(offered.size())) {
        const QSignalBlocker quiet(m_frequency);
        m_frequency->clear();
        for (double hz : offered)
            m_frequency->addItem(HzText(hz), hz);
        m_frequency->setCurrentIndex(std::max(0, m_frequency->findData(chosen)));
    }
    const double hz = m_frequency->currentData().toDouble();
    const bool present = std::find(m_listener.hz.begin(), m_listener.hz.end(), hz) != m_listener.hz.end();
    m_add->setEnabled(!present && m_listener.hz.size() < kMaxAudiogramFrequencies);
    m_remove->setEnabled(present && m_listener.hz.size() > 1);
}

void CAudiogramDialog::AddFrequency(double hz)
{
    if (InsertFrequency(hz))
        BuildFields();
}

bool CAudiogramDialog::InsertFrequency(double hz)
{
    const auto at = std::lower_bound(m_listener.hz.begin(), m_listener.hz.end(), hz);
    if ((at != m_listener.hz.end() && *at == hz) || m_listener.hz.size() >= kMaxAudiogramFrequencies)
        return false;
    const std::size_t index = static_cast<std::size_t>(at - m_listener.hz.begin());
    // A new frequency starts where the lines between its neighbours run, on the 5 dB grid.
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        const double between = ListenerAudiogram(m_listener, ear).LevelAt(hz);
        std::vector<double>& levels = ear == Ear::Left ? m_listener.left : m_listener.right;
        levels.insert(levels.begin() + static_cast<std::ptrdiff_t>(index),
                      std::round(between / CAudiogramChart::kStep) * CAudiogramChart::kStep);
    }
    m_listener.hz.insert(at, hz);
    return true;
}

void CAudiogramDialog::RemoveFrequency(double hz)
{
    const auto at = std::find(m_listener.hz.begin(), m_listener.hz.end(), hz);
    if (at == m_listener.hz.end() || m_listener.hz.size() <= 1)
        return;
    const std::ptrdiff_t index = at - m_listener.hz.begin();
    m_listener.hz.erase(at);
    m_listener.left.erase(m_listener.left.begin() + index);
    m_listener.right.erase(m_listener.right.begin() + index);
    BuildFields();
}

void CAudiogramDialog::ShowRefusal(const QString& reason)
{
    m_refusal->setText(reason);
    if (reason.isEmpty())
        return;
    QAccessibleEvent alert(m_refusal, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString CAudiogramDialog::Refusal() const
{
    return m_refusal->text();
}

QString CAudiogramDialog::DisplayName() const
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("eingegeben");
    // A loss changed under the name it came with is that loss no longer.
    const bool thresholdsChanged =
        m_listener.hz != m_opened.hz || m_listener.left != m_opened.left || m_listener.right != m_opened.right;
    const bool sameName = name.toStdString() == m_opened.name;
    return thresholdsChanged && sameName ? name + QStringLiteral(" (geändert)") : name;
}

Listener CAudiogramDialog::Entered() const
{
    Listener listener = m_listener;
    const std::string name = m_name->text().trimmed().toStdString();
    // An audiogram entered here is keyed by its name, as far as it makes a key.
    if (listener.id.empty() || listener.id == kEnteredId || listener.id == KeyFromName(m_opened.name))
        listener.id = KeyFromName(name);
    listener.name = name.empty() ? listener.id : name;
    return listener;
}

Ear CAudiogramDialog::EditedEar() const
{
    return m_ear->currentIndex() == 1 ? Ear::Left : Ear::Right;
}

bool CAudiogramDialog::ImportFrom(const QString& path, const ListenerChooser& choose)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Warn(QStringLiteral("„%1“ lässt sich nicht öffnen. Prüfen Sie, ob die Datei noch da ist und gelesen werden "
                            "darf. (%2)")
                 .arg(path, file.errorString()));
        return false;
    }
    // One byte more than a listener file may hold is enough to refuse a larger one.
    const QByteArray text = file.read(static_cast<qint64>(kMaxListenerFileBytes) + 1);
    ListenerFileRefusal why;
    const auto listeners = ParseListeners(text.toStdString(), why);
    if (!listeners) {
        const QString reason = QString::fromStdString(why.reason.german);
        // A listener file with one value that cannot be used is said to be one.
        Warn(why.listenerFile
                 ? QStringLiteral("„%1“ enthält ein Audiogramm, das Sonafel nicht übernehmen kann: %2. Korrigieren "
                                  "Sie den Wert in der Datei.")
                       .arg(path, reason)
                 : QStringLiteral("„%1“ ist keine Audiogramm-Datei, die Sonafel lesen kann. Erwartet wird eine "
                                  "JSON-Datei mit einem Eintrag je Hörer und dessen Hörschwellen (audiogram_cfs, "
                                  "audiogram_levels_l, audiogram_levels_r). (%2)")
                       .arg(path, reason));
        return false;
    }
    const int chosen = listeners->size() == 1 ? 0 : choose(*listeners);
    if (chosen < 0 || chosen >= static_cast<int>(listeners->size()))
        return false;
    m_listener = (*listeners)[chosen];
    m_name->setText(QString::fromStdString(m_listener.name));
    m_refusal->clear();
    BuildFields();
    return true;
}

bool CAudiogramDialog::ExportTo(const QString& path)
{
    QSaveFile file(path);
    const QByteArray text = QByteArray::fromStdString(ListenerFileText(Entered()));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        Warn(QStringLiteral("Das Audiogramm ließ sich nicht in „%1“ speichern. Wählen Sie einen anderen Ort oder "
                            "Namen. (%2)")
                 .arg(path, file.errorString()));
        return false;
    }
    return true;
}

void CAudiogramDialog::Import()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Audiogramm importieren"), AudiogramFolder(), kFileFilter);
    if (path.isEmpty())
        return;
    RememberAudiogramFolder(path);
    ImportFrom(path, [this](const std::vector<Listener>& listeners) { return ChooseInDialog(this, listeners); });
}

void CAudiogramDialog::Export()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Audiogramm exportieren"), AudiogramFolder() + QStringLiteral("/audiogramm.json"),
        kFileFilter);
    if (path.isEmpty())
        return;
    RememberAudiogramFolder(path);
    ExportTo(path);
}

void CAudiogramDialog::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Audiogramm ") + DisplayName());
    // Printed to a file, it goes where the last audiogram file went.
    printer.setOutputFileName(AudiogramFolder() + QStringLiteral("/audiogramm.pdf"));
    QPrintDialog choice(&printer, this);
    choice.setWindowTitle(QStringLiteral("Audiogramm drucken"));
    if (choice.exec() != QDialog::Accepted)
        return;
    RememberAudiogramFolder(printer.outputFileName());
    if (!PrintAudiogram(printer, Entered(), QDate::currentDate(), m_aidRules))
        Warn(QStringLiteral("Das Audiogramm konnte nicht gedruckt werden: der Drucker nimmt nichts an."));
}

void CAudiogramDialog::Warn(const QString& text)
{
    QMessageBox::warning(this, windowTitle(), text);
}
