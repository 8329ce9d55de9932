#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

// The main window's hidden menu: each key, with exactly its modifiers, runs its command in
// every window that `ours` accepts, ahead of the focused control's own use of the key, and
// never while a modal box is up. It filters the application's events while it lives.
class HiddenMenu : public QObject {
public:
    struct Item {
        Qt::KeyboardModifiers modifiers;
        int key;
        std::function<void()> command;
    };

    HiddenMenu(std::vector<Item> items, std::function<bool(const QWidget* window)> ours, QObject* parent);
    ~HiddenMenu() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<Item> m_items;
    std::function<bool(const QWidget*)> m_ours;
};
