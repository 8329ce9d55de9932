#pragma once

#include <QUrl>
#include <chrono>
#include <optional>

// Decides which new windows a page in a browser view may open in the user's browser: only
// http and https pages, only when the user did something in the view, at most one a second.
// Pages that ask for more are refused without a word.
class PopupGate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds interval{1000};

    // Whether `url` may go to the user's browser now; an admitted one starts the interval.
    [[nodiscard]] bool admit(const QUrl& url, bool userInitiated, Clock::time_point now = Clock::now());

private:
    std::optional<Clock::time_point> m_last;
};
