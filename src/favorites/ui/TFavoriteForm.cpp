#include "favorites/ui/TFavoriteForm.h"

#include "base/Dialogs.h"
#include "base/ErrorText.h"
#include "base/ui/ButtonKeys.h"
#include "catalog/TDataModule2.h"
#include "catalog/ui/GridBinding.h"
#include "catalog/ui/KindLists.h"
#include "player/PlayCommand.h"
#include "ui_TFavoriteForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTabBar>

using namespace Qt::StringLiterals;

TFavoriteForm::TFavoriteForm(TDataModule2& data, MainHolders& mainHolders, PlayCommand& play,
                             Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::TFavoriteForm>()), m_data(data), m_mainHolders(mainHolders),
      m_play(play), m_dialogs(dialogs) {
    m_ui->setupUi(this);
    setObjectName(u"FavoriteForm"_s);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(459, 548);
    // Tabs of 99 pixels in all: the width, 2 + 2 of padding and 1 + 1 of border.
    m_ui->sPageControl1->tabBar()->setStyleSheet(u"QTabBar::tab { width: 93px; padding: 4px 2px; }"_s);
    m_ui->sPageControl1->tabBar()->setExpanding(false);
    m_ui->StartsBitBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_ui->DelsBitBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_ui->ClosesBitBtn->setIcon(style()->standardIcon(QStyle::SP_DialogNoButton));

    data.bindFavorites(m_holders, this);
    bindGrid(m_ui->sDBGrid1, data.FavoriteVideoQuery);
    bindGrid(m_ui->sDBGrid2, data.FavoriteTVQuery);
    bindGrid(m_ui->sDBGrid3, data.FavoriteRadioQuery);

    const auto on = [this](QAbstractButton* button, void (TFavoriteForm::*command)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, command] { run([this, command] { (this->*command)(); }); });
    };
    on(m_ui->StartsBitBtn, &TFavoriteForm::StartsBitBtnClick);
    on(m_ui->DelsBitBtn, &TFavoriteForm::DelsBitBtnClick);
    on(m_ui->ABCsBitBtn, &TFavoriteForm::ABCsBitBtnClick);
    on(m_ui->ClosesBitBtn, &TFavoriteForm::ClosesBitBtnClick);
    // Escape anywhere in the window presses its first cancel button, the delete button; the
    // same filter sees the double-clicks on the lists.
    qApp->installEventFilter(this);
}

TFavoriteForm::~TFavoriteForm() {
    qApp->removeEventFilter(this);
}

MediaKind TFavoriteForm::activeList() const {
    return lists().kindOf(m_ui->sPageControl1->currentWidget());
}

void TFavoriteForm::StartsBitBtnClick() {
    play(activeList());
}

void TFavoriteForm::play(MediaKind kind) {
    // The favorite becomes the main window's current item of its kind, then plays as one.
    m_mainHolders.takeFavorite(kind, m_holders);
    m_play.playCurrent(kind, m_mainHolders);
}

void TFavoriteForm::DelsBitBtnClick() {
    Query& query = m_data.favorites(activeList());
    if (!m_dialogs.question(u"Вы действительно хотите удалить запись?"_s))
        return;
    try {
        query.deleteCurrent();
    } catch (...) {
        m_dialogs.message(u"Нет возможности удалить запись!"_s);
    }
}

void TFavoriteForm::ABCsBitBtnClick() {
    Query& query = m_data.favorites(activeList());
    query.sort(query.fields().title);
}

void TFavoriteForm::ClosesBitBtnClick() {
    hide();
}

bool TFavoriteForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && !QApplication::activeModalWidget()) {
        m_ui->DelsBitBtn->click();
        return true;
    }
    if (pressFocusedButton(watched, event, this))
        return true;
    if (const std::optional<MediaKind> clicked = lists().doubleClicked(watched, event)) {
        if (activeList() == *clicked)
            run([this, kind = *clicked] { play(kind); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

KindLists TFavoriteForm::lists() const {
    return {{{{MediaKind::Video, m_ui->sTabSheet1, m_ui->sDBGrid1},
              {MediaKind::Tv, m_ui->sTabSheet2, m_ui->sDBGrid2},
              {MediaKind::Radio, m_ui->sTabSheet3, m_ui->sDBGrid3}}}};
}

void TFavoriteForm::run(const std::function<void()>& command) {
    reportingFailures(m_dialogs, command);
}
