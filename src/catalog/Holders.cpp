#include "catalog/Holders.h"

void MainHolders::takeFavorite(MediaKind kind, const FavoriteHolders& favorite) {
    switch (kind) {
    case MediaKind::Video:
        DBEdit1.bind(favorite.FavoritVideoDBEdit2.text());
        VideoNameDBEdit.bind(favorite.FavoritVideoDBEdit.text());
        break;
    case MediaKind::Tv:
        DBMemo1.setText(favorite.FavoritTVDBEdit2.text());
        break;
    case MediaKind::Radio:
        RadioDBEdit.bind(favorite.FavoritRadioDBEdit2.text());
        RadioNameDBEdit.bind(favorite.FavoritRadioDBEdit.text());
        break;
    }
}
