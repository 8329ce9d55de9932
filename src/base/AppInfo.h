#pragma once

#include "base/Version.h"

#include <QString>

using namespace Qt::StringLiterals;

namespace AppInfo {
inline const QString title = u"Kvelto 7"_s;
// What the about panel shows and the update check compares with the site.
inline const QString versionLabel = u"Версия "_s + QStringLiteral(KVELTO_VERSION);
} // namespace AppInfo
