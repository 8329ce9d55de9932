// The answer path of a connection fed from a fake socket: heads, 100 Continue, length,
// chunked and close-delimited bodies, several answers on one connection, and the body
// turned into text by its charset. Input: one option byte (its low six bits set how much
// each read delivers, its top bit reads the answer to a CONNECT), then the bytes the
// server sends.
#include "FuzzParts.h"
#include "net/CharsetDecoder.h"
#include "net/HttpAnswerReader.h"

#include "base/Failure.h"

#include <boost/asio/error.hpp>
#include <boost/beast/http/read.hpp>

#include <algorithm>
#include <cstring>

namespace asio = boost::asio;
namespace http = boost::beast::http;

namespace {

// The server's bytes, handed out a few at a time, then the end of the stream.
class FakeSocket {
public:
    using executor_type = asio::any_io_executor; // unused; the sync read needs none

    FakeSocket(std::string_view bytes, std::size_t step) : m_rest(bytes), m_step(step) {}

    template <class MutableBuffers>
    std::size_t read_some(const MutableBuffers& buffers, boost::system::error_code& ec) {
        ec = {};
        if (m_rest.empty()) {
            ec = asio::error::eof;
            return 0;
        }
        std::size_t total = 0;
        for (auto it = asio::buffer_sequence_begin(buffers); it != asio::buffer_sequence_end(buffers); ++it) {
            const asio::mutable_buffer space = *it;
            const std::size_t n = std::min({space.size(), m_rest.size(), m_step - total});
            std::memcpy(space.data(), m_rest.data(), n);
            m_rest.remove_prefix(n);
            total += n;
            if (total == m_step || m_rest.empty())
                break;
        }
        return total;
    }

    template <class MutableBuffers> std::size_t read_some(const MutableBuffers& buffers) {
        boost::system::error_code ec;
        const std::size_t n = read_some(buffers, ec);
        if (ec)
            throw boost::system::system_error(ec);
        return n;
    }

private:
    std::string_view m_rest;
    std::size_t m_step;
};

QByteArray headerValue(const HttpAnswer& answer, const QByteArray& name) {
    for (const HttpHeader& header : answer.headers)
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    const bool tunnel = (options & 0x80) != 0;
    const std::size_t step = std::size_t(1) << (options & 0x0F); // 1 byte .. 32 KiB per read
    FakeSocket socket(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), step);

    HttpAnswerReader reader(
        [&](asio::mutable_buffer space, std::size_t& received) {
            boost::system::error_code ec;
            received = socket.read_some(space, ec);
            return ec;
        },
        [&](boost::beast::flat_buffer& buffer, HttpAnswerReader::Parser& parser) {
            boost::system::error_code ec;
            http::read_some(socket, buffer, parser, ec);
            return ec;
        });
    try {
        // A connection is read again only while it may carry another answer, as the fetcher does.
        for (int answers = 0; answers < 8; ++answers) {
            HttpAnswer answer = reader.readFinalHead(tunnel);
            if (!answer.status) {
                FUZZ_CHECK(!reader.isReusable());
                break;
            }
            FUZZ_CHECK(*answer.status != 100);
            if (tunnel)
                break;
            reader.readBody(answer);
            FUZZ_CHECK(std::size_t(answer.body.size()) <= HttpAnswerReader::bodyLimit);
            (void)CharsetDecoder::decode(answer.body, headerValue(answer, "Content-Type"));
            if (answer.bodyFailure)
                FUZZ_CHECK(!reader.isReusable());
            if (!reader.isReusable())
                break;
        }
    } catch (const Failure&) {
        // Unreadable heads, closed connections: the fetcher reports these.
        FUZZ_CHECK(!reader.isReusable());
    }
    return 0;
}
