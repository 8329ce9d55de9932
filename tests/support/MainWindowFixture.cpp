#include "support/MainWindowFixture.h"

#include "base/AppInfo.h"

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

MainWindowFixture::~MainWindowFixture() {
    addOns.reset();
    favorites.reset();
    data.reset();
    form.reset();
}

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
    form = std::make_unique<TMainForm>(MainFormPorts{
        dialogs, shell, makeBrowser, Site::onServer(siteBase()), exeDir(),
        [](PageFetcher& fetcher) { fetcher.setTimeouts(std::chrono::seconds(5), std::chrono::seconds(5)); }});
    data = std::make_unique<TDataModule2>(withDatabase ? db.path()
                                                       : QDir(exeDir()).filePath(u"absent/bdv.db"_s));
    form->bindData(*data);
    data->open(dialogs);
    favorites = std::make_unique<TFavoriteForm>(*data, form->holders(), form->playCommand(), dialogs);
    addOns = std::make_unique<TForm5>(shell, Site::onServer(siteBase()), form.get());
    form->setOtherWindows(favorites.get(), addOns.get());
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
