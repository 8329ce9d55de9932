#pragma once

#include "base/PageSource.h"

// Shows the wait cursor while a page downloads; the download itself blocks the
// window, so the cursor is the user's only sign that something is happening.
class WaitCursorPageSource : public PageSource {
public:
    explicit WaitCursorPageSource(PageSource& inner) : m_inner(inner) {}
    QString get(const QString& address) override;
    FetchedPage fetch(const QString& address) override;

private:
    PageSource& m_inner;
};
