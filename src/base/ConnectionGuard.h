#pragma once

#include "base/Dialogs.h"

#include <QString>
#include <exception>
#include <functional>

using namespace Qt::StringLiterals;

// The one message of every command that guards its own downloads and navigations.
inline const QString connectionFailedText = u"Произошла ошибка подключения!"_s;

// Runs `work`; any failure of it ends in the connection message box instead of going on.
// True when `work` completed.
inline bool guardConnection(Dialogs& dialogs, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception&) {
        dialogs.message(connectionFailedText);
        return false;
    }
}
