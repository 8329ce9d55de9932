#pragma once

#include <QString>
#include <functional>

class Dialogs;

// The error box adds a full stop unless the message is empty or already ends in a
// character whose code is at most that of the full stop (".", ",", "-", "!", ")", blank, line break...).
[[nodiscard]] QString errorBoxText(const QString& message);

// Runs a step; a failure it lets through is shown in the error box and goes no further.
void reportingFailures(Dialogs& dialogs, const std::function<void()>& step);
