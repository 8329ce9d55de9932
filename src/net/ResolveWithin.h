#pragma once

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <string>

// Looks a host name up within a time limit; an address literal needs no lookup at all.
// Throws Failure (a time-out while connecting, or the resolver's own error).
[[nodiscard]] boost::asio::ip::tcp::resolver::results_type resolveWithin(const std::string& host, int port,
                                                                         std::chrono::milliseconds limit);
