#pragma once

#include "base/Shell.h"

// Opens addresses in the user's default browser.
class DesktopShell : public Shell {
public:
    void open(const QString& address) override;
};
