#include "base/TextHolder.h"

void TextHolder::setText(const QString& text) {
    QString converted;
    converted.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            converted += u"\r\n";
        } else if (c == u'\n') {
            converted += u"\r\n";
        } else {
            converted += c;
        }
    }
    m_text = std::move(converted);
}

void TextHolder::bind(const QString& text) {
    m_text = text;
}
