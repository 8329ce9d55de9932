#include "app/ui/TMainForm.h"

#include "app/ui/HiddenMenu.h"
#include "app/ui/MainFormLook.h"
#include "app/ui/PlaylistImport.h"
#include "app/ui/WindowAccessibility.h"

#include "base/Dialogs.h"
#include "base/ErrorText.h"
#include "base/Shell.h"
#include "base/ui/ButtonKeys.h"
#include "base/ui/WindowPlacement.h"
#include "catalog/TDataModule2.h"
#include "catalog/ui/GridBinding.h"
#include "catalog/ui/KindLists.h"
#include "favorites/AddToFavorites.h"
#include "favorites/ui/TFavoriteForm.h"
#include "player/FilmDownload.h"
#include "player/FixedPages.h"
#include "player/PlayCommand.h"
#include "player/PlayerPage.h"
#include "player/StartPage.h"
#include "settings/SiteLinks.h"
#include "settings/UpdateCheck.h"
#include "settings/ui/SettingsTab.h"
#include "settings/ui/TForm5.h"
#include "ui_TMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

using namespace Qt::StringLiterals;

TMainForm::TMainForm(MainFormPorts ports, MainFormServices services, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::TMainForm>()), m_ports(std::move(ports)),
      m_services(services) {
    installWindowAccessibility();
    m_ui->setupUi(this);
    m_statusPanel = dressMainForm(*m_ui, *this, m_ports.site);
    // The two browser views fill their tab pages.
    m_ui->sTabSheet1Layout->addWidget(m_services.player.widget);
    m_ui->sTabSheet6Layout->addWidget(m_services.guide.widget);

    // Command map: buttons and tabs.
    const auto on = [this](QAbstractButton* button, void (TMainForm::*command)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, command] { run([=, this] { (this->*command)(); }); });
    };
    on(m_ui->sBitBtn2, &TMainForm::sBitBtn2Click);
    on(m_ui->sBitBtn6, &TMainForm::sBitBtn6Click);
    on(m_ui->sBitBtn8, &TMainForm::sBitBtn8Click);
    on(m_ui->SortBitBtn, &TMainForm::SortBitBtnClick);
    on(m_ui->sBitBtn1, &TMainForm::sBitBtn1Click);
    on(m_ui->FavoritesBitBtn, &TMainForm::FavoritesBitBtnClick);
    on(m_ui->AddToFavoritesBitBtn, &TMainForm::AddToFavoritesBitBtnClick);
    on(m_ui->sBitBtn3, &TMainForm::sBitBtn3Click);
    on(m_ui->sBitBtn4, &TMainForm::sBitBtn4Click);
    on(m_ui->sBitBtn5, &TMainForm::sBitBtn5Click);
    on(m_ui->sBitBtn9, &TMainForm::sBitBtn9Click);
    on(m_ui->sButton1, &TMainForm::sButton1Click);
    connect(m_ui->FindEdit, &QLineEdit::textChanged, this, [this] { run([this] { FindEditChange(); }); });
    connect(m_ui->sPageControl2, &QTabWidget::currentChanged, this, [this] {
        if (!m_selectingByProgram)
            run([this] { sPageControl2Change(); });
    });
    connect(m_ui->sPageControl1, &QTabWidget::currentChanged, this, [this] {
        if (m_ui->sPageControl1->currentWidget() == m_ui->sTabSheet6)
            run([this] { m_services.fixedPages.showTvGuide(); });
    });
    // Activation, not a change of index: picking the theme already shown applies and stores it again.
    connect(m_ui->sComboBox1, &QComboBox::activated, this, [this] { run([this] { sComboBox1Change(); }); });

    m_import = std::make_unique<PlaylistImport>(
        PlaylistImport::Window{*this, [this] { return activeList(); }, [this] { rereadActiveList(); },
                               [this](const std::function<void()>& command) { run(command); }},
        m_ports.dialogs, m_ports.catalogPath);

    // The hidden menu's keys work in every window of the program; the same filter sees the
    // double-clicks on the lists and the clicks on the link labels.
    qApp->installEventFilter(this);
    m_menu = std::make_unique<HiddenMenu>(
        menuItems(),
        [this](const QWidget* window) {
            return isEnabled() && (window == this || window == static_cast<const QWidget*>(m_favorites));
        },
        this);

    m_settingsTab = std::make_unique<SettingsTab>(
        SettingsTab::Boxes{*m_ui->sEdit1, *m_ui->sEdit2, *m_ui->sCheckBox1, *m_ui->sComboBox1},
        m_services.themes, m_ports.fetcher, QDir(m_ports.configDir).filePath(u"Config.ini"_s));
    run([this] { FormCreate(); });
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
}

void TMainForm::FormCreate() {
    m_settingsTab->load();
    m_services.startPage.start();
    m_services.updateCheck.atStartup();
}

void TMainForm::bindData(TDataModule2& data) {
    m_data = &data;
    data.bindMain(m_holders, this);
    bindGrid(m_ui->sDBGrid3, data.ADOQuery1);
    bindGrid(m_ui->sDBGrid2, data.ADOQuery2);
    bindGrid(m_ui->sDBGrid1, data.ADOQuery3);
    connect(&data.ADOQuery1, &Query::dataChange, this, [this] { dataSourceChange(MediaKind::Video); });
    connect(&data.ADOQuery2, &Query::dataChange, this, [this] { dataSourceChange(MediaKind::Tv); });
    connect(&data.ADOQuery3, &Query::dataChange, this, [this] { dataSourceChange(MediaKind::Radio); });
}

void TMainForm::setOtherWindows(TFavoriteForm* favorites, TForm5* addOns) {
    m_favorites = favorites;
    m_addOns = addOns;
}

void TMainForm::run(const std::function<void()>& command) {
    reportingFailures(m_ports.dialogs, command);
}

MediaKind TMainForm::activeList() const {
    return lists().kindOf(m_ui->sPageControl2->currentWidget());
}

QString TMainForm::statusText() const {
    return m_statusPanel->text();
}

void TMainForm::showStatus(const QString& text) {
    m_passingStatus = true;
    m_statusPanel->setText(text);
}

void TMainForm::restoreStatus() {
    m_passingStatus = false;
    m_statusPanel->setText(m_listStatus);
}

QString TMainForm::playerPagePath() const {
    return m_services.page.path();
}

void TMainForm::dataSourceChange(MediaKind kind) {
    if (kind != activeList() || !m_data)
        return;
    m_listStatus = m_data->catalog(kind).currentTitle();
    if (!m_passingStatus)
        m_statusPanel->setText(m_listStatus);
}

// --- commands -------------------------------------------------------------

void TMainForm::sBitBtn2Click() {
    play(activeList());
}

void TMainForm::play(MediaKind kind) {
    m_services.play.playCurrent(kind, m_holders);
}

void TMainForm::playGrid(MediaKind kind) {
    // The video list plays only while its page is the visible one; the others as they are.
    if (kind != MediaKind::Video || activeList() == MediaKind::Video)
        play(kind);
}

void TMainForm::sBitBtn6Click() {
    m_services.filmDownload.run([this] { return m_holders.DBEdit1.text(); },
                                [this] { return m_holders.VideoNameDBEdit.text(); });
}

void TMainForm::sBitBtn8Click() {
    m_services.fixedPages.showTales();
}

void TMainForm::SortBitBtnClick() {
    if (!m_data)
        return;
    Query& query = m_data->catalog(activeList());
    query.sort(query.fields().title);
}

void TMainForm::ImportMenuItemClick() {
    m_import->chooseAndImport();
}

void TMainForm::rereadActiveList() {
    // Read again with an empty search box, as after a tab change.
    if (m_ui->FindEdit->text().isEmpty())
        FindEditChange();
    else
        m_ui->FindEdit->setText(QString());
}

void TMainForm::N4Click() {
    if (m_ports.dialogs.question(u"Вы действительно хотите завершить работу с Kvelto?"_s))
        close();
}

void TMainForm::sBitBtn1Click() {
    close();
}

void TMainForm::FavoritesBitBtnClick() {
    if (!m_favorites)
        return;
    if (!m_favoritesShownBefore) {
        // Centred over the main window, but not beyond the desktop's left or top edge.
        m_favoritesShownBefore = true;
        QPoint at = centredOver(*m_favorites, *this);
        if (const QScreen* screen = this->screen())
            at = QPoint(std::max(at.x(), screen->availableGeometry().left()),
                        std::max(at.y(), screen->availableGeometry().top()));
        m_favorites->move(at);
    }
    m_favorites->show();
    m_favorites->raise();
    m_favorites->activateWindow();
}

void TMainForm::AddToFavoritesBitBtnClick() {
    if (!m_data)
        return;
    const MediaKind kind = activeList();
    addToFavorites(m_ports.dialogs, m_data->favorites(kind), m_holders.title(kind), m_holders.address(kind));
}

void TMainForm::sBitBtn4Click() {
    SiteLinks(m_ports.shell, m_ports.dialogs, m_ports.site).help();
}

void TMainForm::sBitBtn5Click() {
    SiteLinks(m_ports.shell, m_ports.dialogs, m_ports.site).feedback();
}

void TMainForm::sLabel12Click() {
    SiteLinks(m_ports.shell, m_ports.dialogs, m_ports.site).site();
}

void TMainForm::sLabel15Click() {
    SiteLinks(m_ports.shell, m_ports.dialogs, m_ports.site).agreement();
}

void TMainForm::sBitBtn3Click() {
    m_services.updateCheck.onDemand();
}

void TMainForm::sBitBtn9Click() {
    // Modal without a loop of its own: a press that ends later (the accessible action's
    // animated click) must not run on inside the window, onto its focused button.
    if (!m_addOns)
        return;
    m_addOns->setWindowModality(Qt::ApplicationModal);
    m_addOns->show();
    m_addOns->raise();
    m_addOns->activateWindow();
}

void TMainForm::sButton1Click() {
    m_settingsTab->saveProxy();
    m_ports.dialogs.message(u"Настройки успешно изменены! Для того что бы новые настройки вступили в силу "
                            u"необходимо перезапустить программу!"_s);
}

void TMainForm::sComboBox1Change() {
    m_settingsTab->applyChosenTheme();
}

void TMainForm::FindEditChange() {
    if (m_data)
        m_data->search(m_ui->FindEdit->text());
}

void TMainForm::sPageControl2Change() {
    m_ui->FindEdit->setText(QString());
}

void TMainForm::N8Click() {
    showPage(m_ui->sTabSheet3);
}
void TMainForm::N6Click() {
    showPage(m_ui->sTabSheet4);
}
void TMainForm::N7Click() {
    showPage(m_ui->sTabSheet5);
}
void TMainForm::N12Click() {
    showPage(m_ui->sTabSheet1);
}
void TMainForm::N10Click() {
    showPage(m_ui->sTabSheet2);
}
void TMainForm::N16Click() {
    showPage(m_ui->sTabSheet6);
}

void TMainForm::showPage(QWidget* page) {
    auto* tabs =
        page->parentWidget() ? qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()) : nullptr;
    if (!tabs || tabs->currentWidget() == page)
        return;
    m_selectingByProgram = true;
    tabs->setCurrentWidget(page);
    m_selectingByProgram = false;
}

// --- window events --------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
    emit closing();
    QFile::remove(playerPagePath());
    event->accept();
    QCoreApplication::quit();
}

std::vector<HiddenMenu::Item> TMainForm::menuItems() {
    const auto item = [this](Qt::KeyboardModifiers modifiers, int key, void (TMainForm::*command)()) {
        return HiddenMenu::Item{modifiers, key,
                                [this, command] { run([this, command] { (this->*command)(); }); }};
    };
    return {
        item(Qt::NoModifier, Qt::Key_F1, &TMainForm::sBitBtn4Click),
        item(Qt::NoModifier, Qt::Key_F2, &TMainForm::sBitBtn2Click),
        item(Qt::NoModifier, Qt::Key_F3, &TMainForm::sBitBtn6Click),
        item(Qt::NoModifier, Qt::Key_F4, &TMainForm::sBitBtn8Click),
        item(Qt::NoModifier, Qt::Key_F5, &TMainForm::SortBitBtnClick),
        item(Qt::NoModifier, Qt::Key_F6, &TMainForm::N8Click),
        item(Qt::NoModifier, Qt::Key_F7, &TMainForm::N6Click),
        item(Qt::NoModifier, Qt::Key_F8, &TMainForm::N7Click),
        item(Qt::NoModifier, Qt::Key_F9, &TMainForm::N12Click),
        item(Qt::NoModifier, Qt::Key_F10, &TMainForm::N4Click),
        item(Qt::NoModifier, Qt::Key_F11, &TMainForm::N10Click),
        item(Qt::NoModifier, Qt::Key_F12, &TMainForm::N16Click),
        item(Qt::ControlModifier, Qt::Key_A, &TMainForm::FavoritesBitBtnClick),
        item(Qt::NoModifier, Qt::Key_Insert, &TMainForm::AddToFavoritesBitBtnClick),
        item(Qt::ControlModifier, Qt::Key_O, &TMainForm::ImportMenuItemClick),
    };
}

KindLists TMainForm::lists() const {
    return {{{{MediaKind::Video, m_ui->sTabSheet3, m_ui->sDBGrid3},
              {MediaKind::Tv, m_ui->sTabSheet4, m_ui->sDBGrid2},
              {MediaKind::Radio, m_ui->sTabSheet5, m_ui->sDBGrid1}}}};
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (const std::optional<MediaKind> clicked = lists().doubleClicked(watched, event)) {
            run([this, kind = *clicked] { playGrid(kind); });
            return true;
        }
        break;
    case QEvent::MouseButtonRelease: {
        // A link is a left click on the label: the press grabbed the mouse there, the
        // release must end on it too.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool onLabel = (watched == m_ui->sLabel12 || watched == m_ui->sLabel15) &&
                             mouse->button() == Qt::LeftButton &&
                             static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
        if (onLabel && watched == m_ui->sLabel12) {
            run([this] { sLabel12Click(); });
            return true;
        }
        if (onLabel && watched == m_ui->sLabel15) {
            run([this] { sLabel15Click(); });
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (pressFocusedButton(watched, event, this))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
