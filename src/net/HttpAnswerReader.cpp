#include "net/HttpAnswerReader.h"

#include "net/KeepAlive.h"
#include "net/NetworkFailure.h"

#include <boost/asio/ssl/error.hpp>
#include <boost/beast/http/error.hpp>

#include <string_view>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;

namespace {

constexpr std::size_t headLimit = 1024 * 1024;
constexpr std::size_t readChunk = 64 * 1024;

// The second blank-separated word of the status line, when it is a number.
std::optional<int> statusOf(const QByteArray& statusLine) {
    const QList<QByteArray> words = statusLine.simplified().split(' ');
    if (words.size() < 2 || words[1].isEmpty() || words[1].size() > 9)
        return std::nullopt;
    for (const char c : words[1])
        if (c < '0' || c > '9')
            return std::nullopt;
    return words[1].toInt();
}

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

HttpAnswerReader::HttpAnswerReader(ReadSome readSome, ReadBodyPart readBodyPart)
    : m_readSome(std::move(readSome)), m_readBodyPart(std::move(readBodyPart)) {}

HttpAnswerReader::~HttpAnswerReader() = default;

std::size_t HttpAnswerReader::readHead() {
    std::size_t searched = 0;
    for (;;) {
        const std::string_view data(static_cast<const char*>(m_buffer.data().data()), m_buffer.size());
        if (const auto end = data.find("\r\n\r\n", searched); end != std::string_view::npos)
            return end + 4;
        searched = data.size() < 3 ? 0 : data.size() - 3;
        if (data.size() > headLimit) {
            m_reusable = false;
            throw headTooLarge();
        }
        std::size_t received = 0;
        const error_code ec = m_readSome(m_buffer.prepare(readChunk), received);
        m_buffer.commit(received);
        if (isEndOfStream(ec)) {
            m_reusable = false;
            throw closedGracefully();
        }
        if (ec) {
            m_reusable = false;
            throw networkFailure(ec, NetworkStage::connected);
        }
    }
}

HttpAnswer HttpAnswerReader::readFinalHead(bool tunnelAnswer) {
    for (;;) {
        const std::size_t headSize = readHead();
        const std::string_view head(static_cast<const char*>(m_buffer.data().data()), headSize);
        HttpAnswer answer;
        answer.statusLine = bytesOf(head.substr(0, head.find("\r\n")));
        answer.status = statusOf(answer.statusLine);

        m_parser = std::make_unique<Parser>();
        m_parser->eager(false);
        m_parser->header_limit(headLimit);
        // Content-Length is judged by readBody, after every header line has been read.
        m_parser->body_limit(boost::none);
        if (tunnelAnswer)
            m_parser->skip(true);
        error_code ec;
        m_parser->put(asio::buffer(head.data(), head.size()), ec);
        m_buffer.consume(headSize);
        if (ec || !m_parser->is_header_done() || !answer.status) {
            m_reusable = false;
            m_parser.reset();
            answer.status.reset();
            return answer;
        }
        if (*answer.status == 100)
            continue;
        for (const auto& field : m_parser->get())
            answer.headers.append({bytesOf(field.name_string()), bytesOf(field.value())});
        if (tunnelAnswer)
            m_parser.reset();
        return answer;
    }
}

void HttpAnswerReader::readBody(HttpAnswer& answer) {
    if (!m_parser || !answer.status)
        return;
    const std::unique_ptr<Parser> parser = std::move(m_parser);
    const boost::optional<std::uint64_t> length = parser->content_length();
    const bool chunked = parser->chunked();
    bool close = !keepsAlive(*answer.status, answer.headers,
                             length ? std::optional<std::uint64_t>(*length) : std::nullopt, chunked);
    if (length && *length > bodyLimit) {
        m_reusable = false;
        answer.bodyFailure = pageTooLarge().message();
        return;
    }
    parser->body_limit(bodyLimit);

    while (!parser->is_done()) {
        error_code readError = m_readBodyPart(m_buffer, *parser);
        if (readError == asio::ssl::error::stream_truncated) {
            // TLS servers often close without saying so; that ends a body like a plain close.
            readError = {};
            parser->put_eof(readError);
            close = true;
        }
        if (!readError)
            continue;
        close = true;
        if (readError == http::error::partial_message) {
            // A length that was promised but not delivered ends the body without error;
            // a broken chunked body has no reliable end.
            if (chunked)
                answer.bodyFailure = closedGracefully().message();
        } else if (readError == http::error::body_limit) {
            answer.bodyFailure = pageTooLarge().message();
        } else if (readError == http::error::end_of_stream || isEndOfStream(readError)) {
            answer.bodyFailure = closedGracefully().message();
        } else {
            answer.bodyFailure = networkFailure(readError, NetworkStage::connected).message();
        }
        break;
    }
    // A failed body is never used; not copying it keeps a capped body from being held twice.
    if (!answer.bodyFailure) {
        const std::string& body = parser->get().body();
        answer.body = QByteArray(body.data(), static_cast<qsizetype>(body.size()));
    }
    // We never send a second request before the answer, so leftover bytes are garbage.
    if (close || m_buffer.size() > 0)
        m_reusable = false;
}
