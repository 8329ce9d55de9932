#pragma once

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <functional>
#include <string>

class Failure;

// Looks a host name up within a time limit; an address literal needs no lookup at all.
// While it waits, keepWaiting (when given) is called every few milliseconds; false gives up.
// Throws Failure: timedOut when the limit passes, downloadCancelled() when given up, or the
// resolver's own error.
[[nodiscard]] boost::asio::ip::tcp::resolver::results_type
resolveWithin(const std::string& host, int port, std::chrono::milliseconds limit, const Failure& timedOut,
              const std::function<bool()>& keepWaiting = {});
