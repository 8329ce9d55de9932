#include "catalog/ui/KindLists.h"

#include "catalog/ui/GridBinding.h"

MediaKind KindLists::kindOf(const QWidget* selectedPage) const {
    for (const List& list : lists)
        if (list.kind != MediaKind::Radio && list.page == selectedPage)
            return list.kind;
    return MediaKind::Radio;
}

std::optional<MediaKind> KindLists::doubleClicked(QObject* watched, QEvent* event) const {
    for (const List& list : lists)
        if (isDoubleClickOn(list.grid, watched, event))
            return list.kind;
    return std::nullopt;
}
