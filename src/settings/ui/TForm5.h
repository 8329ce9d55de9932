#pragma once

#include "base/Site.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TForm5;
}
class Dialogs;
class Shell;

// The add-ons window: the plug-ins and players the streams need, each with a
// button that opens its download page. Shown modally; keeps no state.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(Shell& shell, Dialogs& dialogs, Site site, QWidget* parent = nullptr);
    ~TForm5() override;

protected:
    // Only the close box closes the window: Escape does nothing here.
    void keyPressEvent(QKeyEvent* event) override;
    // Centred on the main window each time it shows, wherever that has moved.
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm5> m_ui;
    Shell& m_shell;
    Dialogs& m_dialogs; // the IPTV guide's box when there is no site
    Site m_site;
};
