#pragma once

#include <QString>

// The desktop shell: opens a web address in the user's own browser, or starts a
// program with a parameter. Outcomes are not examined by any caller.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString& address) = 0;
    virtual void start(const QString& program, const QString& parameter) = 0;
};
