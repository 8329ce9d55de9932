#include "base/ui/WindowPlacement.h"

#include <QWidget>

QPoint centredOver(const QWidget& window, const QWidget& over) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(over.frameGeometry().center());
    return frame.topLeft();
}
