#pragma once

// Screen readers announce the program's three windows as windows: without this Qt gives a
// plain QWidget window the client role ("filler") and the add-ons window the dialog role.
void installWindowAccessibility();
