#include "base/ErrorText.h"

#include "base/Dialogs.h"
#include "base/Failure.h"

QString errorBoxText(const QString& message) {
    if (message.isEmpty() || message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

void reportingFailures(Dialogs& dialogs, const std::function<void()>& step) {
    try {
        step();
    } catch (const Failure& failure) {
        dialogs.error(errorBoxText(failure.message()));
    } catch (const std::exception& e) {
        dialogs.error(errorBoxText(QString::fromUtf8(e.what())));
    }
}
