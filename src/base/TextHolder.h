#pragma once

#include <QString>

// A hidden multi-line page text holder. Text put in by a command gets CR LF line
// breaks, as a multi-line edit box would store it; text arriving through a data
// binding is kept exactly as stored. Reading gives the text back unchanged.
class TextHolder {
public:
    // Every lone CR, lone LF and CR LF pair becomes one CR LF.
    void setText(const QString& text);
    // The data binding path: stored as is.
    void bind(const QString& text);
    [[nodiscard]] const QString& text() const { return m_text; }

private:
    QString m_text;
};
