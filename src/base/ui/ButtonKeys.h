#pragma once

class QEvent;
class QObject;
class QWidget;

// Enter or Return on a focused button of `window` clicks it, as Space does; for an event
// filter. Returns whether the key was used.
bool pressFocusedButton(QObject* watched, QEvent* event, const QWidget* window);
