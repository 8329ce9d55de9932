#include "settings/ProxySettings.h"

#include "net/PageFetcher.h"
#include "settings/IniFile.h"
#include "settings/IntegerText.h"

using namespace Qt::StringLiterals;

namespace {
const QString section = u"Proxy"_s;
}

ProxySettings ProxySettings::load(const IniFile& settings) {
    return {settings.ReadString(section, u"ip"_s, u"0"_s), settings.ReadString(section, u"port"_s, u"0"_s),
            settings.ReadBool(section, u"useProxy"_s, false)};
}

void ProxySettings::applyTo(PageFetcher& fetcher) const {
    if (use)
        fetcher.setProxyServer(address);
    fetcher.setProxyPort(IntegerText::toInt(port));
}

void ProxySettings::save(IniFile& settings) const {
    if (use) {
        settings.WriteString(section, u"ip"_s, address);
        settings.WriteString(section, u"port"_s, port);
    }
    settings.WriteBool(section, u"useProxy"_s, use);
}
