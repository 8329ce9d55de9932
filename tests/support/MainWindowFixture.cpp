#include "support/MainWindowFixture.h"

#include "base/AppInfo.h"
#include "settings/SiteSettings.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

QByteArray MainWindowFixture::homePage(const QString& version) {
    return "<html><body><div style=\"padding:5px;text-align:center;\"><b>" + version.toUtf8() +
           "</b></div></body></html>";
}

MainWindowFixture::MainWindowFixture(const QString& catalogSql) : db(catalogSql) {
    server.route("/", homePage(AppInfo::versionLabel), "text/html; charset=utf-8");
}

MainWindowFixture::~MainWindowFixture() = default;

void MainWindowFixture::writeConfig(const QString& text) {
    QFile file(QDir(exeDir()).filePath(u"Config.ini"_s));
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toLatin1());
}

QString MainWindowFixture::siteBase() const {
    return u"http://127.0.0.1:%1"_s.arg(server.port());
}

void MainWindowFixture::start(bool withDatabase) {
    const auto makeBrowser = [this](QWidget* parent, const char* name) {
        auto* widget = new QWidget(parent);
        widget->setObjectName(QString::fromLatin1(name));
        return BrowserWidget{widget, QByteArray(name) == "WebBrowser1" ? &player : &guide};
    };
    Site site = siteFromConfig ? SiteSettings::read(QDir(exeDir()).filePath(u"Config.ini"_s))
                               : Site::onServer(siteBase());
    site.readme = readme;
    Program::Setup setup{dialogs,
                         shell,
                         makeBrowser,
                         site,
                         ProgramPlaces{exeDir(), exeDir()},
                         withDatabase ? db.path() : QDir(exeDir()).filePath(u"absent/bdv.db"_s),
                         QDir(exeDir()).filePath(u"downloads"_s)};
    setup.connectTimeout = setup.silenceTimeout = std::chrono::seconds(5);
    program = std::make_unique<Program>(setup);
    form = &program->mainForm();
    data = &program->data();
    favorites = &program->favorites();
    addOns = &program->addOns();
    form->show();
}

QString MainWindowFixture::configText() const {
    QFile file(QDir(exeDir()).filePath(u"Config.ini"_s));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : u"<none>"_s;
}

QByteArray MainWindowFixture::playerPageBytes() const {
    QFile file(QDir(exeDir()).filePath(u"main.html"_s));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}
