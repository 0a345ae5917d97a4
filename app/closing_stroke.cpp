#include "closing_stroke.h"

#include <QKeyEvent>

namespace {

Qt::KeyboardModifier ModifierOf(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return Qt::AltModifier;
    case Qt::Key_Meta:
        return Qt::MetaModifier;
    default:
        return Qt::NoModifier;
    }
}

bool IsKeyEvent(QEvent::Type type)
{
    return type == QEvent::ShortcutOverride || type == QEvent::KeyPress || type == QEvent::KeyRelease;
}

}  // namespace

void CClosingStroke::Begin(int key)
{
    m_key = key;
    m_modifier = ModifierOf(key);
}

bool CClosingStroke::Swallow(const QEvent* event)
{
    if (!m_key || !IsKeyEvent(event->type()))
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() == m_key) {
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            *this = {};
        return true;
    }
    if (m_modifier != Qt::NoModifier && (key->modifiers() & m_modifier))
        return true;
    *this = {};  // the stroke has ended, its release was not seen
    return false;
}
