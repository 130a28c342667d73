#include "text_box_keys.h"

#include <commctrl.h>

namespace orvani::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

bool CtrlHeld() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

LRESULT CALLBACK TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
    auto* defaultButton = reinterpret_cast<HWND>(data);
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = DefSubclassProc(box, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN) {
            if (key->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE; // answered below, both with and without Ctrl
            } else if (key->wParam == VK_TAB && !CtrlHeld()) {
                code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
            }
        }
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (CtrlHeld()) {
                SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r\n"));
            } else if (IsWindowEnabled(defaultButton)) {
                SendMessageW(GetParent(defaultButton), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(defaultButton), BN_CLICKED),
                             reinterpret_cast<LPARAM>(defaultButton));
            }
            return 0;
        }
        break;
    case WM_CHAR:
        // The characters of Enter and Ctrl+Enter, already answered by their key.
        if (wParam == L'\r' || wParam == L'\n') {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, &TextBoxProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

} // namespace

void GiveTextBoxDialogKeys(HWND box, HWND defaultButton) {
    SetWindowSubclass(box, &TextBoxProc, kSubclassId, reinterpret_cast<DWORD_PTR>(defaultButton));
}

} // namespace orvani::win32
