#pragma once

#include "catalog/Holders.h"
#include "catalog/MediaKind.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TFavoriteForm;
}
class Dialogs;
class TDataModule2;
class TMainForm;

// The favorites window: the three favorites lists, with play, delete, sort and
// close. Non-modal; closing only hides it, so its tab and lists stay as they were.
class TFavoriteForm : public QWidget {
    Q_OBJECT
public:
    TFavoriteForm(TDataModule2& data, TMainForm& mainForm, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFavoriteForm() override;

    [[nodiscard]] MediaKind activeList() const;
    [[nodiscard]] FavoriteHolders& holders() { return m_holders; }
    [[nodiscard]] Ui::TFavoriteForm& ui() { return *m_ui; }

    void StartsBitBtnClick(); // play the current favorite
    void DelsBitBtnClick();   // delete it, after a question (also Escape)
    void ABCsBitBtnClick();   // sort the active favorites list
    void ClosesBitBtnClick(); // hide the window

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void play(MediaKind kind);

    std::unique_ptr<Ui::TFavoriteForm> m_ui;
    TDataModule2& m_data;
    TMainForm& m_main;
    Dialogs& m_dialogs;
    FavoriteHolders m_holders;
};
