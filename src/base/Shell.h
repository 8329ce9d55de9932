#pragma once

#include <QString>

// The desktop shell: opens a web address in the user's own browser. The outcome is not
// examined by any caller.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString& address) = 0;
};
