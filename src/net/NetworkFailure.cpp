#include "net/NetworkFailure.h"

#include <boost/asio/error.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/error.hpp>
#include <openssl/x509.h>

#include <algorithm>
#include <cerrno>
#include <string>

using namespace Qt::StringLiterals;
namespace asio = boost::asio;
using boost::system::error_code;

namespace {

QString sentence(const std::string& text) {
    QString result = QString::fromLocal8Bit(text).trimmed();
    if (result.isEmpty())
        return result;
    result[0] = result[0].toUpper();
    if (!result.endsWith(u'.'))
        result += u'.';
    return result;
}

bool isHostNotFound(const error_code& ec) {
    return ec == asio::error::host_not_found || ec == asio::error::host_not_found_try_again ||
           ec == asio::error::no_data || ec.category() == asio::error::get_addrinfo_category();
}

} // namespace

Failure networkFailure(const error_code& ec, NetworkStage stage) {
    if (ec == boost::beast::error::timeout)
        return Failure(u"Socket Error # %1\r\n%2"_s.arg(ETIMEDOUT).arg(
            stage == NetworkStage::connecting ? u"Connection timed out."_s : u"Read timed out."_s));
    if (isHostNotFound(ec))
        return Failure(u"Socket Error # %1\r\nHost not found."_s.arg(ec.value()));
    // The parser's errors are no socket errors and have no number the user could look up.
    if (ec.category() == boost::beast::http::make_error_code(boost::beast::http::error::bad_chunk).category())
        return Failure(u"The server's answer is broken: %1"_s.arg(sentence(ec.message())));
    if (ec.category() == asio::error::get_ssl_category() ||
        ec.category() == asio::ssl::error::get_stream_category())
        return Failure(u"The secure connection failed: %1"_s.arg(sentence(ec.message())));
    return Failure(u"Socket Error # %1\r\n%2"_s.arg(ec.value()).arg(sentence(ec.message())));
}

Failure closedGracefully() {
    return Failure(u"Connection Closed Gracefully."_s);
}

Failure certificateFailure(const QByteArray& host, long verifyResult) {
    return Failure(u"The certificate of %1 could not be verified: %2."_s.arg(
        QString::fromLatin1(host), QString::fromLatin1(X509_verify_cert_error_string(verifyResult))));
}

Failure headTooLarge() {
    return Failure(u"The server's answer has a header of more than 1 MiB."_s);
}

Failure pageTooLarge() {
    return Failure(u"The page is larger than 64 MiB."_s);
}

Failure downloadTooLong(std::chrono::milliseconds limit) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
    if (seconds >= 60 && seconds % 60 == 0)
        return Failure(u"The download took longer than %1 min."_s.arg(seconds / 60));
    return Failure(u"The download took longer than %1 s."_s.arg(std::max<long long>(seconds, 1)));
}

Failure downloadCancelled() {
    return Failure(u"The download was cancelled."_s);
}

bool isEndOfStream(const error_code& ec) {
    return ec == asio::error::eof || ec == asio::ssl::error::stream_truncated;
}
