#pragma once

#include "implant_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Cochleaimplantat – Einstellungen": every setting of an implant with its
// range beside it; OK only while they fit together (a range's ends, n of m
// within the channels), and otherwise the reason. Nothing is applied before
// OK: the caller reads Result() after exec().
class CImplantDialog : public QDialog {
public:
    CImplantDialog(const ImplantSettings& start, QWidget* parent = nullptr);

    ImplantSettings Result() const;
    QString Problem() const;
    QPushButton& OkButton() { return *m_ok; }
    QSpinBox& Channels() { return *m_channels; }
    QSpinBox& NOfM() { return *m_nOfM; }
    QDoubleSpinBox& LowHz() { return *m_low; }
    QDoubleSpinBox& HighHz() { return *m_high; }
    QCheckBox& Spread() { return *m_spreadOn; }

private:
    void Check();

    QSpinBox* m_channels;
    QComboBox* m_carrier;
    QDoubleSpinBox* m_low;
    QDoubleSpinBox* m_high;
    QDoubleSpinBox* m_envelope;
    QDoubleSpinBox* m_shift;
    QCheckBox* m_spreadOn;
    QDoubleSpinBox* m_spread;
    QSpinBox* m_nOfM;
    QLabel* m_problem;
    QPushButton* m_ok;
};
