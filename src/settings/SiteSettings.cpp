#include "settings/SiteSettings.h"

#include "net/HttpAddress.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// An address the fetcher and the browser views can both take, or nothing.
QString absoluteWebAddress(const QString& value) {
    QString text = value.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http"_s && url.scheme() != u"https"_s))
        return {};
    try {
        (void)HttpAddress::parse(text);
    } catch (const std::exception&) {
        return {};
    }
    return text;
}

} // namespace

namespace SiteSettings {

Site read(const QString& configPath) {
    const IniFile file(configPath);
    const auto key = [&file](const QString& name) {
        return absoluteWebAddress(file.ReadString(u"Site"_s, name, QString()));
    };
    // The root is the place the Parts' paths go under: a query or fragment has no place there.
    QString home = key(u"home"_s);
    if (const QUrl url(home); url.hasQuery() || url.hasFragment())
        home.clear();
    Site site = home.isEmpty() ? Site() : Site::withHome(home);
    site.startPage = key(u"start"_s);
    site.talesPage = key(u"tales"_s);
    site.tvGuidePage = key(u"guide"_s);
    return site;
}

QString shippedReadme(const QString& executableDir) {
    for (const QString& relative : {u"../share/doc/kvelto/README.md"_s, u"share/doc/kvelto/README.md"_s}) {
        const QFileInfo info(QDir(executableDir).filePath(relative));
        if (info.isFile())
            return info.canonicalFilePath();
    }
    return {};
}

} // namespace SiteSettings
