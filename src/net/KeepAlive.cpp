#include "net/KeepAlive.h"

namespace {

bool saysClose(const HttpHeader& header) {
    const auto& [name, value] = header;
    return (name.compare("connection", Qt::CaseInsensitive) == 0 ||
            name.compare("proxy-connection", Qt::CaseInsensitive) == 0) &&
           value.trimmed().compare("close", Qt::CaseInsensitive) == 0;
}

} // namespace

bool keepsAlive(int status, const QList<HttpHeader>& headers, std::optional<std::uint64_t> contentLength,
                bool chunked) {
    for (const HttpHeader& header : headers)
        if (saysClose(header))
            return false;
    const bool bodyless = status / 100 == 1 || status == 204 || status == 304;
    if (bodyless)
        return !((contentLength && *contentLength > 0) || chunked || status == 101);
    return chunked || contentLength.has_value();
}
