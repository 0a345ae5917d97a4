#pragma once

#include "audiogram_chart.h"
#include "listener_file.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QSpinBox;

// "Audiogramm…": both ears' thresholds at the chart's frequencies, one ear
// shown at a time and that one heard; dragged on the chart or typed in the
// row of fields; imported from and exported to listener files. Nothing is
// applied before OK: the caller reads the result after exec().
class CAudiogramDialog : public QDialog {
public:
    // Picks one of several listeners in a file; -1 when the user declines.
    using ListenerChooser = std::function<int(const std::vector<Listener>&)>;

    CAudiogramDialog(const Listener& start, Ear heard, QWidget* parent = nullptr);

    // Both ears as entered, at the chart's frequencies.
    Listener Entered() const;
    Ear HeardEar() const;

    // Takes both ears of a listener in a file (asking `choose` when it holds
    // several); false, with a message naming the file, when it cannot be used.
    bool ImportFrom(const QString& path, const ListenerChooser& choose);
    bool ExportTo(const QString& path);

    CAudiogramChart& Chart() { return *m_chart; }
    QSpinBox& Field(int point) { return *m_fields[point]; }
    QComboBox& EarChoice() { return *m_ear; }

private:
    std::array<int, CAudiogramChart::kPoints>& Shown();
    void ShowEar();
    void Import();
    void Export();
    void Warn(const QString& text);

    std::array<int, CAudiogramChart::kPoints> m_right{};
    std::array<int, CAudiogramChart::kPoints> m_left{};
    QString m_name;
    CAudiogramChart* m_chart;
    QComboBox* m_ear;
    std::array<QSpinBox*, CAudiogramChart::kPoints> m_fields{};
};

// The levels of `listener` at the chart's frequencies, rounded to whole dB.
std::array<int, CAudiogramChart::kPoints> ChartLevels(const Listener& listener, Ear ear);
