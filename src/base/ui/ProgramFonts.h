#pragma once

class QWidget;

// The forms are laid out in pixels for the classic Windows faces "MS Sans Serif", "Tahoma",
// "Arial" and "Arial Black" at 8 pt. Their free metric-compatible stand-ins (Wine's own faces
// from fonts-wine, Liberation Sans from fonts-liberation2) take their place whatever fonts the
// desktop has, so that every caption fits the room the layout gives it.
namespace ProgramFonts {

// Loads the stand-ins and maps the classic names to them, and keeps the letters' designed
// widths whatever hinting the desktop asks for; once per run, before any window.
void install();

// Gives every control of `window` that names no font of its own the font of its nearest
// ancestor that does, explicitly: once an application style sheet is set, Qt no longer hands
// a window's font down to such controls, which would fall back on the desktop's font. The
// status line keeps the desktop's font.
void spreadWindowFont(QWidget& window);

} // namespace ProgramFonts
