#include "app/ErrorText.h"

QString errorBoxText(const QString& message) {
    if (message.isEmpty() || message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}
