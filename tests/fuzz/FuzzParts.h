#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Cuts a fuzz input into `count` parts at its first count - 1 line breaks; the last part
// keeps the rest, line breaks and all. Missing parts are empty. Seeds stay readable text.
inline std::vector<std::string_view> fuzzParts(const std::uint8_t* data, std::size_t size,
                                               std::size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            parts.push_back(rest);
            rest = {};
            continue;
        }
        parts.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    parts.push_back(rest);
    return parts;
}

// Stops the run with a crash that libFuzzer records, when a property fails.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            __builtin_trap();                                                                                \
    } while (false)
