#include "base/ui/ButtonKeys.h"

#include <QAbstractButton>
#include <QKeyEvent>

bool pressFocusedButton(QObject* watched, QEvent* event, const QWidget* window) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat() ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || button->window() != window || !button->hasFocus() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
