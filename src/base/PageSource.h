#pragma once

#include <QString>

// A downloaded page: its text and the address it finally came from, which differs
// from the one asked for when the server redirected.
struct FetchedPage {
    QString text;
    QString address;
};

// Something that downloads a web page and gives its text, or throws Failure
// carrying the reason. PageFetcher is the real one; tests use fakes.
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual QString get(const QString& address) = 0;
    // The same download, telling where the text came from (for relative links in it).
    virtual FetchedPage fetch(const QString& address) { return {get(address), address}; }
};
