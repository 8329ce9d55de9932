#pragma once

#include <QString>

// The piece of `text` after the first `start`, up to (not including) the first `end`
// that follows it. Without `end` the whole remainder is returned; without `start`
// the result is empty, so a page lacking the marker never leaks its head into a
// player page or a comparison. Case-sensitive, nothing trimmed.
[[nodiscard]] QString cutBetween(const QString& text, const QString& start, const QString& end);
