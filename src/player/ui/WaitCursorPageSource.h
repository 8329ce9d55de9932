#pragma once

#include "base/PageSource.h"

class PageFetcher;

// Shows the wait cursor while a page downloads. Given the fetcher itself, it also keeps the
// window alive meanwhile: it repaints and runs its timers, but no user input reaches the
// program except Escape, which cancels the download (the download then fails like any other
// and its caller reports it). Commands still run one after another, as before.
class WaitCursorPageSource : public PageSource {
public:
    explicit WaitCursorPageSource(PageSource& inner) : m_inner(inner) {}
    explicit WaitCursorPageSource(PageFetcher& fetcher);
    QString get(const QString& address) override;
    FetchedPage fetch(const QString& address) override;

private:
    template <class Download> auto waitingFor(Download&& download);

    PageSource& m_inner;
    PageFetcher* m_fetcher = nullptr;
};
