#pragma once

#include <QString>

using namespace Qt::StringLiterals;

namespace AppInfo {
inline const QString title = u"Kvelto 7"_s;
inline const QString versionLabel = u"Версия 7.1.5"_s;
} // namespace AppInfo
