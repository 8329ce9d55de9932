#pragma once

#include <QString>

// Something that downloads a web page and gives its text, or throws Failure
// carrying the reason. PageFetcher is the real one; tests use fakes.
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual QString get(const QString& address) = 0;
};
