#pragma once

#include "net/HttpAnswer.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <cstddef>
#include <functional>
#include <memory>

// Reads the answers that arrive on one connection: the final head, then the body it
// announces, and remembers whether the connection can carry another request. The
// connection supplies the reads, each bounded by its silence limit. Reading a head throws
// Failure; after a throw the connection is unusable.
class HttpAnswerReader {
public:
    static constexpr std::size_t bodyLimit = 64 * 1024 * 1024;

    using Parser = boost::beast::http::response_parser<boost::beast::http::string_body>;
    // Receives what arrives next into space, at most its size; says how much in received.
    using ReadSome =
        std::function<boost::system::error_code(boost::asio::mutable_buffer space, std::size_t& received)>;
    // Feeds the parser from the buffer and from what arrives next.
    using ReadBodyPart = std::function<boost::system::error_code(boost::beast::flat_buffer&, Parser&)>;

    HttpAnswerReader(ReadSome readSome, ReadBodyPart readBodyPart);
    ~HttpAnswerReader();
    HttpAnswerReader(const HttpAnswerReader&) = delete;
    HttpAnswerReader& operator=(const HttpAnswerReader&) = delete;

    // The head of the final answer, any 100 Continue skipped; without a status when the head
    // is unreadable. The answer to CONNECT (tunnelAnswer) has no body to read.
    HttpAnswer readFinalHead(bool tunnelAnswer);
    // Reads the body that the head just read announces, or says in bodyFailure why not.
    void readBody(HttpAnswer& answer);

    // False once an answer or the server asked to close the connection.
    [[nodiscard]] bool isReusable() const { return m_reusable; }
    // Bytes received after the last answer read.
    [[nodiscard]] std::size_t leftover() const { return m_buffer.size(); }

private:
    // Reads one head (status line and header lines) into m_buffer; returns its size.
    std::size_t readHead();

    ReadSome m_readSome;
    ReadBodyPart m_readBodyPart;
    boost::beast::flat_buffer m_buffer;
    std::unique_ptr<Parser> m_parser; // of the answer whose head was read last
    bool m_reusable = true;
};
