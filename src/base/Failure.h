#pragma once

#include <QString>
#include <exception>

// A failed operation. Commands either catch it and say their own fixed message,
// or let it reach the dispatcher, which shows its text in the error box.
class Failure : public std::exception {
public:
    explicit Failure(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    [[nodiscard]] const QString& message() const noexcept { return m_message; }
    [[nodiscard]] const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
