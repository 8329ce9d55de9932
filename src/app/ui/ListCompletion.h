#pragma once

#include <QObject>

class QWidget;
class TDataModule2;

// Brings the catalog's long lists their other rows: read once the main window has first been
// painted (their first rows were enough for that), brought as soon as they have been read, or at
// once when input comes before: a key pressed or a list scrolled meanwhile waits for the whole
// lists, then acts on them.
class ListCompletion : public QObject {
public:
    ListCompletion(QWidget& window, TDataModule2& data);
    ~ListCompletion() override;
    ListCompletion(const ListCompletion&) = delete;
    ListCompletion& operator=(const ListCompletion&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void complete();

    QWidget& m_window;
    TDataModule2& m_data;
    bool m_done = false;
    bool m_scheduled = false;
};
