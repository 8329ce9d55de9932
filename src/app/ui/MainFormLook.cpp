#include "app/ui/MainFormLook.h"

#include "base/AppInfo.h"
#include "base/Site.h"
#include "settings/ThemeCatalog.h"
#include "ui_TMainForm.h"

#include <QLabel>
#include <QStyle>
#include <QTabBar>

#include <algorithm>

using namespace Qt::StringLiterals;

QLabel* dressMainForm(Ui::TMainForm& ui, QWidget& form, const Site& site) {
    form.setObjectName(u"MainForm"_s);
    form.setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    form.setFixedSize(799, 531);
    form.setWindowIcon(form.style()->standardIcon(QStyle::SP_MediaPlay));

    // Tabs of 192 and 65 pixels in all: the width, 2 + 2 of padding and 1 + 1 of border.
    ui.sPageControl1->tabBar()->setStyleSheet(u"QTabBar::tab { width: 186px; padding: 4px 2px; }"_s);
    ui.sPageControl2->tabBar()->setStyleSheet(u"QTabBar::tab { width: 59px; padding: 4px 2px; }"_s);
    for (QTabWidget* tabs : {ui.sPageControl1, ui.sPageControl2}) {
        tabs->tabBar()->setExpanding(false);
        tabs->setUsesScrollButtons(false);
    }

    // Button pictures.
    ui.sBitBtn2->setIcon(form.style()->standardIcon(QStyle::SP_MediaPlay));
    ui.sBitBtn6->setIcon(form.style()->standardIcon(QStyle::SP_ArrowDown));
    ui.sBitBtn8->setIcon(form.style()->standardIcon(QStyle::SP_MediaVolume));
    ui.FavoritesBitBtn->setIcon(form.style()->standardIcon(QStyle::SP_DirHomeIcon));
    ui.sBitBtn1->setIcon(form.style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui.sBitBtn3->setIcon(form.style()->standardIcon(QStyle::SP_BrowserReload));
    ui.sBitBtn4->setIcon(form.style()->standardIcon(QStyle::SP_DialogHelpButton));
    ui.sBitBtn5->setIcon(form.style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui.sBitBtn9->setIcon(form.style()->standardIcon(QStyle::SP_FileDialogNewFolder));

    // About panel: the links are navy whatever the theme.
    ui.sLabel12->setText(site.makerLabel);
    // The host is Config.ini's: a long one widens its label up to the panel's edge.
    const int hostRoom = ui.sPanel1->width() - ui.sLabel12->x() - ui.sPanel1->frameWidth() - 2;
    ui.sLabel12->resize(std::clamp(ui.sLabel12->sizeHint().width(), ui.sLabel12->width(), hostRoom),
                        ui.sLabel12->height());
    // Without a site both lines stay empty, captions included.
    if (site.hasHome()) {
        ui.sLabel13->setText(u"E-Mail: "_s + site.makerEmail);
    } else {
        ui.sLabel11->clear();
        ui.sLabel13->clear();
    }
    ui.sLabel17->setText(AppInfo::versionLabel); // the version has one source: the build
    for (QLabel* link : {ui.sLabel12, ui.sLabel15}) {
        link->setStyleSheet(u"color: navy;"_s);
    }
    // The search caption is black like its box, whatever the theme.
    ui.sLabel1->setStyleSheet(u"color: black;"_s);
    // Settings tab: the proxy boxes, its save button, the service buttons, then the chooser.
    const std::initializer_list<QWidget*> settingsOrder{ui.sEdit1,   ui.sEdit2,   ui.sCheckBox1,
                                                        ui.sButton1, ui.sBitBtn3, ui.sBitBtn4,
                                                        ui.sBitBtn5, ui.sBitBtn9, ui.sComboBox1};
    for (auto it = settingsOrder.begin(); it + 1 != settingsOrder.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
    ui.sComboBox1->addItems(ThemeCatalog::names());
    ui.sComboBox1->setCurrentIndex(-1);
    ui.sEdit3->hide();
    // The edit boxes and the chooser stay black on white whatever the theme; so does the proxy
    // box's square, which a dark theme would otherwise draw dark on dark.
    for (QWidget* box :
         std::initializer_list<QWidget*>{ui.FindEdit, ui.sEdit1, ui.sEdit2, ui.sComboBox1, ui.sCheckBox1}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        box->setPalette(palette);
    }

    // The status line has one panel; its text spans the line.
    auto* statusPanel = new QLabel(ui.sStatusBar1);
    statusPanel->setObjectName(u"sStatusBar1Panel0"_s);
    statusPanel->setMinimumWidth(50);
    ui.sStatusBar1->addWidget(statusPanel, 1);

    return statusPanel;
}
