#pragma once

#include "base/Shell.h"

// Opens addresses in the user's default browser.
class DesktopShell : public Shell {
public:
    void open(const QString& address) override;
    // A browser shows Markdown as plain text at best: the document goes as an HTML page
    // written to the user's cache folder, beside which its relative links are resolved.
    void openDocument(const QString& markdownPath) override;
};
