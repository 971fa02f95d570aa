#pragma once
#include <windows.h>

// A rectangle given in dialog units of a dialog with this font, in pixels,
// as MapDialogRect gives it for a template built here (not the program's):
// the control's rectangle in its dialog's client area.
RECT DialogUnitsToPixels(const wchar_t* fontName, WORD pointSize, int x, int y, int width, int height);
