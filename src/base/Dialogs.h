#pragma once

#include <QString>
#include <QStringList>

// The modal boxes through which the program talks to the user.
// Every box carries the application title as its caption.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Plain box: no icon, one "OK" button.
    virtual void message(const QString& text) = 0;
    // "&Yes" / "&No"; true only when Yes was chosen.
    virtual bool question(const QString& text) = 0;
    // Error icon, one "OK" button. The text is shown as given: callers pass it
    // through errorBoxText() first.
    virtual void error(const QString& text) = 0;
    // Information icon, one "OK" button.
    virtual void information(const QString& text) = 0;
    // The open-file dialog for one or more existing files; empty when cancelled. `filters`
    // in the "Name (*.a *.b);;Other (*)" form.
    [[nodiscard]] virtual QStringList chooseFiles(const QString& caption, const QString& filters) = 0;
};
