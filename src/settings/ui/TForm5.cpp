#include "settings/ui/TForm5.h"

#include "base/Shell.h"
#include "base/ui/WindowPlacement.h"
#include "settings/SiteLinks.h"
#include "ui_TForm5.h"

#include <QKeyEvent>

TForm5::TForm5(Shell& shell, Dialogs& dialogs, Site site, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TForm5>()), m_shell(shell), m_dialogs(dialogs),
      m_site(std::move(site)) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Form5"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(334, 228);
    // There is no Internet Explorer here to start: the Flash Player page opens in the
    // user's own browser like every other page.
    connect(m_ui->sButton1, &QPushButton::clicked, this, [this] { m_shell.open(m_site.flashPlayer()); });
    connect(m_ui->sButton2, &QPushButton::clicked, this, [this] { m_shell.open(m_site.mediaPlayer()); });
    connect(m_ui->sButton3, &QPushButton::clicked, this, [this] { m_shell.open(m_site.explorer()); });
    connect(m_ui->sButton4, &QPushButton::clicked, this, [this] { m_shell.open(m_site.silverlight()); });
    connect(m_ui->sButton5, &QPushButton::clicked, this,
            [this] { SiteLinks(m_shell, m_dialogs, m_site).iptvGuide(); });
}

TForm5::~TForm5() = default;

void TForm5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm5::showEvent(QShowEvent* event) {
    if (const QWidget* owner = parentWidget())
        move(centredOver(*this, *owner->window()));
    QDialog::showEvent(event);
}
