#include "base/CutBetween.h"

QString cutBetween(const QString& text, const QString& start, const QString& end) {
    const qsizetype startAt = text.indexOf(start);
    if (startAt < 0)
        return {};
    QString rest = text.mid(startAt + start.size());
    // The end marker is looked for only after the start marker.
    const qsizetype endAt = rest.indexOf(end);
    if (endAt >= 0)
        rest.truncate(endAt);
    return rest;
}
