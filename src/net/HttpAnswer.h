#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

using HttpHeader = QPair<QByteArray, QByteArray>;

// One answer as the fetcher needs it. The body has already been read (or its
// reading failed, see bodyFailure) whatever the status says.
struct HttpAnswer {
    QByteArray statusLine;     // exactly as received, without CR LF
    std::optional<int> status; // empty when the status line or head is unreadable
    QList<HttpHeader> headers;
    QByteArray body;
    std::optional<QString> bodyFailure;
};
