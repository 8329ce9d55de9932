#include "settings/ProxySettings.h"

#include "base/Failure.h"
#include "net/HttpAddress.h"
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
    const int number = IntegerText::toInt(port);
    if (use) {
        // The address and port go to the connection as they are: a port beyond 16 bits
        // would wrap to another one, and a host with a blank or a line break is no host.
        // The server is already set, so downloads fail rather than bypass the proxy.
        const QString host = address.trimmed();
        if (!host.isEmpty() && !HttpAddress::isHostName(HttpAddress::wireHost(host)))
            throw Failure(u"''%1'' is not a valid proxy address"_s.arg(address));
        if (number < 0 || number > 65535)
            throw Failure(u"''%1'' is not a valid port number"_s.arg(port));
    }
    fetcher.setProxyPort(number);
}

void ProxySettings::save(IniFile& settings) const {
    if (use) {
        settings.WriteString(section, u"ip"_s, address);
        settings.WriteString(section, u"port"_s, port);
    }
    settings.WriteBool(section, u"useProxy"_s, use);
}
