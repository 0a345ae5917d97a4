#pragma once

#include "aid_gain_table.h"

#include "audiogram_chart.h"
#include "hearing_level_field.h"
#include "listener_file.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// "Audiogramm…": both ears' thresholds at the audiogram's own frequencies,
// both on the chart, one edited at a time: dragged on the chart or typed in
// the row of fields, taken from a standard loss, or copied to the other ear;
// frequencies added or removed; imported from and exported to listener
// files, which keep their frequencies, values, id and name; printed with
// the name and the date. Nothing is applied before OK: the caller reads the
// result after exec().
class CAudiogramDialog : public QDialog {
public:
    // Picks one of several listeners in a file; -1 when the user declines.
    using ListenerChooser = std::function<int(const std::vector<Listener>&)>;

    CAudiogramDialog(const Listener& start, Ear edited, QWidget* parent = nullptr);

    // Both ears as entered, at the audiogram's frequencies, with its id and
    // the name as typed.
    Listener Entered() const;
    Ear EditedEar() const;

    // "Beide Ohren gleich": the other ear takes the edited ear's thresholds.
    void CopyToOtherEar();
    // The button's: asks first when the other ear has thresholds of its own.
    void AskAndCopyToOtherEar();
    // The edited ear takes a standard loss; its frequencies join the
    // audiogram's, where the other ear takes the level between its neighbours.
    void TakeStandardLoss(const CAudiogram& loss);

    // Takes both ears of a listener in a file (asking `choose` when it holds
    // several); false, with a message naming the file, when it cannot be used.
    bool ImportFrom(const QString& path, const ListenerChooser& choose);
    bool ExportTo(const QString& path);

    CAudiogramChart& Chart() { return *m_chart; }
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    CHearingLevelField& Field(int point) { return *m_fields[point]; }
    QComboBox& EarChoice() { return *m_ear; }
    QComboBox& StandardLossChoice() { return *m_standardLoss; }
    QLineEdit& NameEdit() { return *m_name; }
    QComboBox& FrequencyChoice() { return *m_frequency; }
    QPushButton& AddFrequencyButton() { return *m_add; }
    QPushButton& RemoveFrequencyButton() { return *m_remove; }
    QPushButton& CopyButton() { return *m_copy; }
    // Why the last typed value was refused; empty when none was.
    QString Refusal() const;
    // What the view calls the audiogram: the name typed, or "eingegeben".
    QString DisplayName() const;
    // Whether anything was imported, typed or dragged since it opened.
    bool Changed() const;

    // The ears' aids: their gains for the audiogram as entered are shown
    // under the fields and printed with it; none by default.
    void SetAidRules(const AidRules& rules);
    QString AidGainsShown() const;
    // The speech intelligibility index of the audiogram as entered, unaided
    // and with the aids, one line per vocal effort.
    QString IndexShown() const;

    // Abbrechen, Escape or closing the window: an audiogram that was changed
    // is discarded only when the user says so.
    void reject() override;

private:
    std::vector<double>& Shown();
    void ShowEar();
    // The chart and the aid's gains after a change of the levels.
    void ShowLevels();
    void BuildFields();
    void OfferFrequencies();
    void AddFrequency(double hz);
    // Inserts a frequency into both ears at the level between its neighbours;
    // false when it is there already or no more fit.
    bool InsertFrequency(double hz);
    void RemoveFrequency(double hz);
    void ShowRefusal(const QString& reason);
    // Asks `question`; true when answered with `yes`.
    bool Confirm(const QString& question, const QString& yes, QMessageBox::ButtonRole yesRole, const QString& no);
    // Tab follows the rows as the eye reads them, the fields included.
    void OrderTabs();
    void Import();
    void Export();
    void Print();
    void Warn(const QString& text);

    Listener m_listener;
    Listener m_opened;  // as Entered() gave it when the dialog opened
    CAudiogramChart* m_chart;
    QComboBox* m_ear;
    QComboBox* m_standardLoss;
    QLineEdit* m_name;
    QGridLayout* m_fieldGrid;
    std::vector<QWidget*> m_fieldWidgets;  // the labels and fields of the row, rebuilt with the frequencies
    std::vector<CHearingLevelField*> m_fields;
    QComboBox* m_frequency;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_copy;
    QPushButton* m_take;
    QLabel* m_refusal;
    QLabel* m_aidGains;
    QLabel* m_index;
    AidRules m_aidRules;
};
