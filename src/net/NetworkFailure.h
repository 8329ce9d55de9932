#pragma once

#include "base/Failure.h"

#include <QByteArray>

#include <boost/system/error_code.hpp>

#include <chrono>

// The texts a failed exchange with a server shows, in the socket library's wording that
// the program's messages have always used.

// When the failure happened: a time-out while connecting reads differently from one later.
enum class NetworkStage { connecting, connected };

[[nodiscard]] Failure networkFailure(const boost::system::error_code& ec, NetworkStage stage);
// The server closed the connection before the answer was complete.
[[nodiscard]] Failure closedGracefully();
// The server's certificate did not pass OpenSSL's check (verifyResult is its X509_V_ code).
[[nodiscard]] Failure certificateFailure(const QByteArray& host, long verifyResult);
[[nodiscard]] Failure headTooLarge();
[[nodiscard]] Failure pageTooLarge();
// The whole download took longer than its total limit.
[[nodiscard]] Failure downloadTooLong(std::chrono::milliseconds limit);
// The user stopped the download.
[[nodiscard]] Failure downloadCancelled();

// A plain close, or a TLS peer that closed without saying so.
[[nodiscard]] bool isEndOfStream(const boost::system::error_code& ec);
