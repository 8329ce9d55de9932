#pragma once

#include "base/Shell.h"

// Opens addresses in the user's default browser and starts programs detached.
class DesktopShell : public Shell {
public:
    void open(const QString& address) override;
    void start(const QString& program, const QString& parameter) override;
};
