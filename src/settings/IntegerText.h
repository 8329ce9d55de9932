#pragma once

#include <QString>
#include <optional>

// Integer text as the settings file and the port box hold it: optional leading blanks,
// an optional sign, then decimal digits or hex digits led by "$", "x", "X", "0x" or "0X",
// nothing after the digits, and a value that fits a signed 32-bit integer.
namespace IntegerText {

// The value, or nothing when the text is not integer text.
[[nodiscard]] std::optional<int> parse(QStringView text);

// The value; throws Failure("''<text>'' is not a valid integer value") otherwise.
[[nodiscard]] int toInt(const QString& text);

} // namespace IntegerText
