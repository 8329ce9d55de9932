#pragma once

#include "base/Dialogs.h"

// The three boxes as application-modal QMessageBoxes captioned with the application title.
class MessageBoxDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    bool question(const QString& text) override;
    void error(const QString& text) override;
    void information(const QString& text) override;
    [[nodiscard]] QStringList chooseFiles(const QString& caption, const QString& filters) override;
    // The program is being ended: the box on screen closes and no further box is shown
    // (a question then counts as No).
    void stop();

private:
    bool m_stopped = false;
};
