#pragma once

class QPoint;
class QWidget;

// Where `window` goes (its frame's top left) to stand centred over `over`'s frame.
[[nodiscard]] QPoint centredOver(const QWidget& window, const QWidget& over);
