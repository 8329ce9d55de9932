#include "favorites/AddToFavorites.h"

#include "base/Dialogs.h"
#include "base/TextHolder.h"
#include "catalog/Query.h"

using namespace Qt::StringLiterals;

void addToFavorites(Dialogs& dialogs, Query& favorites, const TextHolder& title, const TextHolder& address) {
    if (!dialogs.question(u"Вы действительно хотите добавить запись в Избранное?"_s))
        return;
    favorites.checkActive();
    if (title.text().isEmpty() && address.text().isEmpty())
        return;
    favorites.insertRecord(title.text(), address.text());
    dialogs.message(u"Запись успешно добавлена!"_s);
}
