#include "base/Site.h"

#include <QUrl>

Site Site::withHome(QString base) {
    while (base.endsWith(u'/'))
        base.chop(1);
    Site site;
    site.makerBase = base;
    const QString host = QUrl(base).host();
    site.makerLabel = host;
    if (!host.isEmpty())
        site.makerEmail = u"support@"_s + (host.startsWith(u"www."_s) ? host.mid(4) : host);
    return site;
}
