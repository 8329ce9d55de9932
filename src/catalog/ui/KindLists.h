#pragma once

#include "base/MediaKind.h"

#include <array>
#include <optional>

class QEvent;
class QObject;
class QTableView;
class QWidget;

// A window's three lists, one per media kind, with the tab pages that hold them: which
// kind the selected page shows, and which list a double-click landed on.
struct KindLists {
    struct List {
        MediaKind kind;
        const QWidget* page;
        QTableView* grid;
    };
    std::array<List, 3> lists;

    // The kind of the selected page; the radio list when no other page matches, as the
    // windows test the video and TV pages first.
    [[nodiscard]] MediaKind kindOf(const QWidget* selectedPage) const;
    // The kind whose list the event double-clicks (anywhere on it), if any.
    [[nodiscard]] std::optional<MediaKind> doubleClicked(QObject* watched, QEvent* event) const;
};
