#pragma once

#include <QDoubleSpinBox>
#include <QString>

#include <functional>

// A threshold typed in dB HL, as audiometers give it: -10 to 120 in steps of
// 5 dB. A value that came from a file or a standard loss is kept and shown as
// it is (22,5 stays 22,5); what is typed must lie on the grid and within the
// range. Typed text that is not is kept visible while typing (150 does not
// become 15) and refused when the typing ends: the field returns to its value
// and says why. The arrow keys step along the grid.
class CHearingLevelField : public QDoubleSpinBox {
public:
    explicit CHearingLevelField(QWidget* parent = nullptr);

    // A value as it came, on the grid or not; it may be kept as it is.
    void SetLevel(double level);
    // Called with the reason when typed text is refused, and with an empty
    // text when a value is taken.
    void SetRefusalHandler(std::function<void(const QString&)> handler) { m_refused = std::move(handler); }

    // Why `text` cannot be taken as a typed level (empty: it can); `partial`
    // accepts what more typing may still complete.
    QString Refusal(const QString& text, bool partial) const;

    // Steps along the 5 dB grid: from a value off it, to the next grid value.
    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Refuses the text typed, if it must be, before the spin box puts its
    // value back; true when it was refused.
    bool RefuseTyped();

    double m_kept = 0.0;       // the value set from outside, taken even off the grid
    double m_keptShown = 0.0;  // the same as the field holds it, to its decimals
    std::function<void(const QString&)> m_refused;
};
