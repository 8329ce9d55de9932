#pragma once

class QLabel;
class QWidget;
struct Site;
namespace Ui {
class TMainForm;
}

// How the main window looks, apart from what it does: fixed size and flags, tab widths,
// button pictures, the about panel's texts and colours, the theme names in the chooser, and
// the edit boxes that stay black on white. Returns the status line's one panel.
QLabel* dressMainForm(Ui::TMainForm& ui, QWidget& form, const Site& site);
