#pragma once

#include <functional>

class BrowserView;
class QWidget;

// A browser view as the windows place it: the widget to lay out and the port that
// the commands navigate. Production makes WebEngine views; tests make fakes.
struct BrowserWidget {
    QWidget* widget = nullptr;
    BrowserView* view = nullptr;
};
using BrowserFactory = std::function<BrowserWidget(QWidget* parent, const char* objectName)>;
