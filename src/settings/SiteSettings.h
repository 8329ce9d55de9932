#pragma once

#include "base/Site.h"

#include <QString>

// The [Site] section of Config.ini: the maker's site root (home), the start-up page (start),
// the audio tales page (tales) and the TV guide page (guide), each an absolute http or https
// address, read with the settings file's rules. The program never writes them. A key that is
// missing, empty or not such an address counts as not set: no site, a blank start, and tales
// and guide under the site, or the built-in pages without one.
namespace SiteSettings {

[[nodiscard]] Site read(const QString& configPath);

// The README shipped with the program: share/doc/kvelto of the installed program or of the
// build folder; empty when neither has it.
[[nodiscard]] QString shippedReadme(const QString& executableDir);

} // namespace SiteSettings
