#pragma once

#include "player/BrowserView.h"

#include <QWebEngineView>

// The embedded browser: a Chromium view that loads what it is told and returns at once.
class WebEngineBrowserView : public QWebEngineView, public BrowserView {
    Q_OBJECT
public:
    explicit WebEngineBrowserView(QWidget* parent = nullptr);
    void navigate(const QString& target) override;
};
