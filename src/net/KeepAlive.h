#pragma once

#include "net/HttpAnswer.h"

#include <cstdint>
#include <optional>

// Whether the connection may carry the next request once this answer's body has been read,
// judged from its head: not when Connection or Proxy-Connection says close, when the body
// runs until the server closes, or when a bodyless status (1xx, 204, 304) announces a body
// anyway, which would otherwise be read as the next answer; 101 hands the connection over.
// contentLength and chunked are the framing the head declares.
[[nodiscard]] bool keepsAlive(int status, const QList<HttpHeader>& headers,
                              std::optional<std::uint64_t> contentLength, bool chunked);
