#pragma once

#include "player/TextHolder.h"

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
