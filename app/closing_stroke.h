#pragma once

#include <Qt>

class QEvent;

// The key whose press closed the splash. The rest of that key stroke (its
// repeats, its release, and with a modifier the keys pressed while it is
// held, as in Alt+F) goes nowhere either.
class CClosingStroke {
public:
    // The splash was closed by pressing `key`.
    void Begin(int key);
    // True while `event` is still part of that stroke.
    bool Swallow(const QEvent* event);

private:
    int m_key = 0;
    Qt::KeyboardModifier m_modifier = Qt::NoModifier;
};
