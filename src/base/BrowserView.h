#pragma once

#include <QString>

// An embedded HTML view. navigate() hands over a target (a file path, an http
// address or "about:blank") and returns at once; loading happens inside the view.
// It throws Failure only when the view itself refuses the request.
class BrowserView {
public:
    virtual ~BrowserView() = default;
    virtual void navigate(const QString& target) = 0;
};
