#pragma once

#include <QString>

// The error box adds a full stop unless the message is empty or already ends in a
// character whose code is at most that of the full stop (".", ",", "-", "!", ")", blank, line break...).
[[nodiscard]] QString errorBoxText(const QString& message);
