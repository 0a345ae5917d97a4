#include "child_view_accessible.h"

#include "child_view.h"

#include <QAccessibleValueInterface>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kStep = 0.05;  // as the arrow keys move a slider

// A painted part of the view: no object or children of its own, its place
// the view's part `part`.
class CViewChildAccessible : public QAccessibleInterface {
public:
    CViewChildAccessible(CChildView& view, int part) : m_view(view), m_part(part) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view.window()->windowHandle(); }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(&m_view); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect local = m_view.PartRect(m_part);
        return QRect(m_view.mapToGlobal(local.topLeft()), local.size());
    }

protected:
    CChildView& m_view;
    const int m_part;
};

// One source switch or slider of the view.
class CViewPartAccessible final : public CViewChildAccessible,
                                  public QAccessibleValueInterface,
                                  public QAccessibleActionInterface {
public:
    using CViewChildAccessible::CViewChildAccessible;

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return Slider() ? CChildView::SliderName(SliderIndex()) : CChildView::SourceName(m_part);
        case QAccessible::Value:
            if (Slider())
                return QStringLiteral("%1 Prozent").arg(std::lround(m_view.Controls().Value(SliderIndex()) * 100));
            if (m_view.Controls().Waiting(m_part))
                return QStringLiteral("pausiert");
            return m_view.Controls().SourceOn(m_part) ? QStringLiteral("an") : QStringLiteral("aus");
        case QAccessible::Description:
            if (Slider())
                return QStringLiteral("0 Prozent: starke Verluste, 100 Prozent: keine Verluste");
            return (m_view.SourceFile(m_part).isEmpty()
                        ? QStringLiteral("mitgelieferte Aufnahme")
                        : QStringLiteral("eigene Aufnahme „%1“").arg(QFileInfo(m_view.SourceFile(m_part)).fileName())) +
                   QStringLiteral("; Taste %1 schaltet sie an und aus").arg(m_part + 1);
        default:
            return QString();
        }
    }
    QAccessible::Role role() const override { return Slider() ? QAccessible::Slider : QAccessible::CheckBox; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.focusable = Slider();
        state.focused = Slider() && m_view.hasFocus() && m_view.FocusedSlider() == SliderIndex();
        state.checkable = !Slider();
        state.checked = !Slider() && m_view.Controls().SourceOn(m_part);
        state.disabled = !Slider() && m_view.Live();
        state.invisible = !m_view.isVisible();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface && Slider())
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // Sliders: 0 to 100 percent.
    QVariant currentValue() const override
    {
        return static_cast<int>(std::lround(m_view.Controls().Value(SliderIndex()) * 100));
    }
    void setCurrentValue(const QVariant& value) override
    {
        // Only a number is a value; NaN and text are none.
        bool number = false;
        const double percent = value.toDouble(&number);
        if (number && std::isfinite(percent))
            m_view.Controls().SetValue(SliderIndex(), std::clamp(percent / 100.0, 0.0, 1.0));
    }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return kStep * 100; }

    QStringList actionNames() const override
    {
        if (!Slider())
            return {toggleAction()};
        return {increaseAction(), decreaseAction()};
    }
    void doAction(const QString& name) override
    {
        if (!Slider() && name == toggleAction()) {
            m_view.ToggleSource(m_part);
        } else if (Slider() && (name == increaseAction() || name == decreaseAction())) {
            const double step = name == increaseAction() ? kStep : -kStep;
            m_view.Controls().Step(SliderIndex(), step);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name == toggleAction())
            return {QString::number(m_part + 1)};
        if (name == increaseAction())
            return {QStringLiteral("Right")};
        if (name == decreaseAction())
            return {QStringLiteral("Left")};
        return {};
    }

private:
    bool Slider() const { return m_part >= CChildViewAccessible::kFirstSlider; }
    int SliderIndex() const { return m_part - CChildViewAccessible::kFirstSlider; }
};

// The spectrum: what it says in words, read as one text.
class CViewNoticesAccessible final : public CViewChildAccessible {
public:
    explicit CViewNoticesAccessible(CChildView& view) : CViewChildAccessible(view, CChildViewAccessible::kSpectrum) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return QStringLiteral("Spektrum");
        if (t == QAccessible::Value || t == QAccessible::Description) {
            const QStringList notices = m_view.ShownNotices();
            return notices.isEmpty() ? QStringLiteral("kein Hörverlust gewählt") : notices.join(QStringLiteral("; "));
        }
        return QString();
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !m_view.isVisible();
        return state;
    }
};

}  // namespace

CChildViewAccessible::CChildViewAccessible(CChildView& view) : QAccessibleWidget(&view, QAccessible::Client)
{
    // The cache owns the parts until this interface goes.
    for (int part = 0; part < kSpectrum; ++part)
        m_parts[part] = QAccessible::registerAccessibleInterface(new CViewPartAccessible(view, part));
    m_parts[kSpectrum] = QAccessible::registerAccessibleInterface(new CViewNoticesAccessible(view));
}

QString CChildViewAccessible::text(QAccessible::Text t) const
{
    // The view as a whole, not an unnamed filler.
    if (t == QAccessible::Name)
        return QStringLiteral("Hörverlust-Demonstration");
    if (t == QAccessible::Description)
        return QStringLiteral("Drei Aufnahmen, drei Regler für die Verluste und das Spektrum dessen, was gehört wird");
    return QAccessibleWidget::text(t);
}

CChildViewAccessible::~CChildViewAccessible()
{
    for (const QAccessible::Id part : m_parts)
        QAccessible::deleteAccessibleInterface(part);
}

QAccessibleInterface* CChildViewAccessible::child(int index) const
{
    return index >= 0 && index < kParts ? QAccessible::accessibleInterface(m_parts[index]) : nullptr;
}

int CChildViewAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (int part = 0; part < kParts; ++part)
        if (QAccessible::accessibleInterface(m_parts[part]) == child)
            return part;
    return -1;
}

QAccessibleInterface* CChildViewAccessible::childAt(int x, int y) const
{
    for (int part = 0; part < kParts; ++part)
        if (child(part)->rect().contains(x, y))
            return child(part);
    return nullptr;
}

QAccessibleInterface* CChildViewAccessible::focusChild() const
{
    const auto& view = static_cast<const CChildView&>(*widget());
    return view.hasFocus() && view.FocusedSlider() >= 0 ? child(kFirstSlider + view.FocusedSlider()) : nullptr;
}

QAccessibleInterface* CChildViewAccessible::Factory(const QString&, QObject* object)
{
    // The view declares no meta-object of its own, so it is found by type.
    if (auto* const view = dynamic_cast<CChildView*>(object))
        return new CChildViewAccessible(*view);
    return nullptr;
}

void NotifyAccessiblePart(CChildView& view, int part, bool focus)
{
    QAccessibleInterface* const changed = QAccessible::queryAccessibleInterface(&view)->child(part);
    if (focus) {
        QAccessibleEvent event(changed, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    } else if (part == CChildViewAccessible::kSpectrum) {
        QAccessibleEvent event(changed, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    } else if (part >= CChildViewAccessible::kFirstSlider) {
        QAccessibleValueChangeEvent event(changed, changed->valueInterface()->currentValue());
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessible::State checked;
        checked.checked = true;
        QAccessibleStateChangeEvent event(changed, checked);
        QAccessible::updateAccessibility(&event);
    }
}
