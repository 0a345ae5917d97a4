#pragma once

#include "controls.h"

#include <QAccessibleWidget>

class CChildView;

// What a screen reader finds in the main view, whose sources and sliders are
// painted by hand: three switches ("Sprache, aus") and three sliders
// ("höhere Frequenzen, 40 Prozent"), each with its place on the screen, and
// actions that do what a click or an arrow key does; then the spectrum, as
// the words it shows (the audiogram's name, the comparison, the live badge,
// the nominal levels).
class CChildViewAccessible : public QAccessibleWidget {
public:
    // Parts, in the order a screen reader meets them.
    static constexpr int kParts = 7;  // three sources, three sliders, the spectrum's words
    static constexpr int kFirstSlider = CControls::kFirstSlider;
    static constexpr int kSpectrum = 6;

    explicit CChildViewAccessible(CChildView& view);
    ~CChildViewAccessible() override;

    QString text(QAccessible::Text t) const override;
    int childCount() const override { return kParts; }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // Qt asks this for every object; the view gets the interface above.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);

private:
    QAccessible::Id m_parts[kParts];
};

// Tells a screen reader that part `part` (as above) changed its value or
// state, or, with `focus`, took the focus.
void NotifyAccessiblePart(CChildView& view, int part, bool focus = false);
