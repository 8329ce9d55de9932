#pragma once

#include "base/MediaKind.h"
#include "catalog/Holders.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TFavoriteForm;
}
struct KindLists;
class Dialogs;
class PlayCommand;
class TDataModule2;

// The favorites window: the three favorites lists, with play, delete, sort and
// close. Non-modal; closing only hides it, so its tab and lists stay as they were.
class TFavoriteForm : public QWidget {
    Q_OBJECT
public:
    // Playing a favorite makes it the main window's current item of its kind: the
    // window gets those holders and the play command, not the main window itself.
    TFavoriteForm(TDataModule2& data, MainHolders& mainHolders, PlayCommand& play, Dialogs& dialogs,
                  QWidget* parent = nullptr);
    ~TFavoriteForm() override;

    [[nodiscard]] MediaKind activeList() const;
    [[nodiscard]] FavoriteHolders& holders() { return m_holders; }

    void StartsBitBtnClick(); // play the current favorite
    void DelsBitBtnClick();   // delete it, after a question (also Escape)
    void ABCsBitBtnClick();   // sort the active favorites list
    void ClosesBitBtnClick(); // hide the window

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void play(MediaKind kind);
    void run(const std::function<void()>& command);
    [[nodiscard]] KindLists lists() const;

    std::unique_ptr<Ui::TFavoriteForm> m_ui;
    TDataModule2& m_data;
    MainHolders& m_mainHolders;
    PlayCommand& m_play;
    Dialogs& m_dialogs;
    FavoriteHolders m_holders;
};
