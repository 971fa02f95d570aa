#include "dialog_units.h"

#include <cwchar>
#include <vector>

namespace {

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void Put(std::vector<BYTE>& out, const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

template <typename T>
void Put(std::vector<BYTE>& out, T value) {
    Put(out, &value, sizeof value);
}

}  // namespace

RECT DialogUnitsToPixels(const wchar_t* fontName, WORD pointSize, int x, int y, int width, int height) {
    // An extended template with no controls: version, signature, help id,
    // extended style, style, control count, position and size, no menu, the
    // default class, an empty title, then the font.
    std::vector<BYTE> dialogTemplate;
    Put<WORD>(dialogTemplate, 1);
    Put<WORD>(dialogTemplate, 0xFFFF);
    Put<DWORD>(dialogTemplate, 0);
    Put<DWORD>(dialogTemplate, 0);
    Put<DWORD>(dialogTemplate, DS_SETFONT | WS_POPUP);
    Put<WORD>(dialogTemplate, 0);
    for (int i = 0; i < 4; ++i) Put<short>(dialogTemplate, 100);
    Put<WORD>(dialogTemplate, 0);
    Put<WORD>(dialogTemplate, 0);
    Put<WORD>(dialogTemplate, 0);
    Put<WORD>(dialogTemplate, pointSize);
    Put<WORD>(dialogTemplate, FW_NORMAL);
    Put<BYTE>(dialogTemplate, 0);
    Put<BYTE>(dialogTemplate, DEFAULT_CHARSET);
    Put(dialogTemplate, fontName, (std::wcslen(fontName) + 1) * sizeof(wchar_t));
    while (dialogTemplate.size() % 4) dialogTemplate.push_back(0);

    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
                                             nullptr, &NoDialogProc, 0);
    // Position and size are mapped each on its own, as the dialog manager
    // does when it creates a control; mapping the far corner would round
    // differently.
    RECT mapped = {x, y, width, height};
    MapDialogRect(dialog, &mapped);
    DestroyWindow(dialog);
    return {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}
