#pragma once

class Dialogs;
class Query;
class TextHolder;

// Stores the item that two holders show as a new favorite, after the user agreed.
// Nothing is stored, and nothing reported, when both texts are empty. A closed
// favorites query or a refused insert throws Failure for the error box.
void addToFavorites(Dialogs& dialogs, Query& favorites, const TextHolder& title, const TextHolder& address);
