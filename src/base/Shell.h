#pragma once

#include <QString>

// The desktop shell: opens a web address in the user's own browser. The outcome is not
// examined by any caller.
class Shell {
public:
    virtual ~Shell() = default;
    // An http or https address; anything else is dropped.
    virtual void open(const QString& address) = 0;
    // One of the program's own Markdown files (the README), shown as a page in the user's
    // browser.
    virtual void openDocument(const QString& markdownPath) = 0;
};
