#pragma once

#include "base/MediaKind.h"
#include "base/TextHolder.h"

struct FavoriteHolders;

// The main window's current-item holders: commands read the selected item from
// them, never from the database. Each follows one column of its list's current row.
struct MainHolders {
    TextHolder VideoNameDBEdit; // films of the current video
    TextHolder DBEdit1;         // fhttp: the video's page address
    TextHolder TVNameDBEdit;    // tv
    TextHolder DBMemo1;         // http: the channel's fragment, as played
    TextHolder TVLinkDBEdit;    // http: the same fragment, as stored by "add to favorites"
    TextHolder RadioNameDBEdit; // radio
    TextHolder RadioDBEdit;     // radiolink

    // The title and address of the current item of a kind, as a favorite stores them.
    [[nodiscard]] const TextHolder& title(MediaKind kind) const {
        return kind == MediaKind::Video ? VideoNameDBEdit
               : kind == MediaKind::Tv  ? TVNameDBEdit
                                        : RadioNameDBEdit;
    }
    [[nodiscard]] const TextHolder& address(MediaKind kind) const {
        return kind == MediaKind::Video ? DBEdit1 : kind == MediaKind::Tv ? TVLinkDBEdit : RadioDBEdit;
    }
    // A played favorite becomes the current item of its kind: the holders that playing reads
    // take the favorite's title and address (the TV fragment as a command puts it in).
    void takeFavorite(MediaKind kind, const FavoriteHolders& favorite);
};

// The favorites window's holders, one pair per favorites list.
struct FavoriteHolders {
    TextHolder FavoritVideoDBEdit;
    TextHolder FavoritVideoDBEdit2;
    TextHolder FavoritTVDBEdit;
    TextHolder FavoritTVDBEdit2;
    TextHolder FavoritRadioDBEdit;
    TextHolder FavoritRadioDBEdit2;
};
