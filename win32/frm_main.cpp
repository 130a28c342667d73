// The window's behaviour: start-up, the standard lists, the option panel, Convert, Copy and
// Paste.

#include "frm_main.h"

#include "clipboard.h"
#include "normalization.h"
#include "resource_ids.h"
#include "utf16.h"

#include <commctrl.h>
#include <frm_main_controls.h>
#include <option_panel.h>
#include <window_pipeline.h>

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// Tab and the arrow keys move between the controls as in a dialog.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Puts `text` in the box as one edit that Ctrl+Z takes back, as setting the window text would
// not; leaves the caret and the view at the start.
void ReplaceText(HWND box, const std::wstring& text) {
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

std::wstring SelectedText(HWND list) {
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, index, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t unit : text) {
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?'); // the names are ASCII
    }
    return out;
}

bool IsChecked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = frmMain::kClassName;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVANICONV));
    RegisterClassExW(&windowClass); // fails harmlessly for a second window of the class
}

} // namespace

frmMain::frmMain(HINSTANCE instance) : instance_(instance), dpi_(ScreenDpi()) {
    RegisterWindowClass(instance, &frmMain::WindowProc);
    RECT frame{0, 0, orvani::window::Pixels(orvani::window::kClientWidth, dpi_),
               orvani::window::Pixels(orvani::window::kClientHeight, dpi_)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const std::wstring title = orvani::win32::Utf8ToUtf16(orvani::window::kTitle);
    CreateWindowExW(kExStyle, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                    this);
    if (hwnd_ == nullptr) {
        return;
    }
    createControls();
    Form_Load();
}

frmMain::~frmMain() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    for (HICON icon : icons_) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    DeleteObject(textFont_);
    DeleteObject(dialogFont_);
}

void frmMain::Show(int how) const {
    ShowWindow(hwnd_, how);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        window->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return window->handle(message, wParam, lParam);
}

LRESULT frmMain::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (code == BN_CLICKED && id == ControlId("cmdConv") && IsWindowEnabled(cmdConv)) {
            cmdConv_Click();
        } else if (code == BN_CLICKED && id == ControlId("cmdCopy")) {
            cmdCopy_Click();
        } else if (code == BN_CLICKED && id == ControlId("cmdPaste")) {
            cmdPaste_Click();
        } else if (code == CBN_SELCHANGE && id == ControlId("comL")) {
            comL_Click();
        } else if (code == CBN_SELCHANGE && id == ControlId("comR")) {
            comR_Click();
        }
        // IDCANCEL, from Escape, is ignored: the window has no Cancel and stays open.
        return 0;
    }
    case DM_GETDEFID:
        return MAKELRESULT(ControlId("cmdConv"), DC_HASDEFID);
    case WM_NEXTDLGCTL: {
        // What a dialog does for the edit boxes, which ask for it on Tab.
        HWND next = LOWORD(lParam) != 0
                        ? reinterpret_cast<HWND>(wParam)
                        : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (next != nullptr) {
            SetFocus(next);
        }
        return 0;
    }
    case WM_ACTIVATE:
        // Coming back to the window puts the focus back where it was.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus)) {
                lastFocus_ = focus;
            }
        } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd_, &paint);
        paintLines(dc);
        EndPaint(hwnd_, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void frmMain::Form_Load() {
    // Centred on the free part of the screen that the window opens on, frame and all.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    const int left =
        orvani::window::CentredStart(area.left, area.right - area.left, frame.right - frame.left);
    const int top =
        orvani::window::CentredStart(area.top, area.bottom - area.top, frame.bottom - frame.top);
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // A pick from code raises the same event as a pick by the user.
    SendMessageW(comL, CB_SETCURSEL, 0, 0);
    comL_Click();
    SendMessageW(comR, CB_SETCURSEL, 1, 0);
    comR_Click();
    SendMessageW(comType, CB_SETCURSEL, 0, 0);
}

void frmMain::comL_Click() {
    EnableWindow(cmdConv,
                 SendMessageW(comR, CB_GETCURSEL, 0, 0) != SendMessageW(comL, CB_GETCURSEL, 0, 0));
    options();
}

void frmMain::comR_Click() {
    comL_Click();
}

std::optional<orvani::Standard> frmMain::StandardOf(HWND list) const {
    return orvani::StandardFromName(Narrow(SelectedText(list)));
}

void frmMain::options() {
    const std::optional<orvani::window::OptionPanel> panel =
        orvani::window::OptionPanelFor(StandardOf(comL), StandardOf(comR));
    if (!panel) {
        ShowWindow(lblOpt, SW_HIDE);
        ShowWindow(chkOU, SW_HIDE);
        ShowWindow(chkA, SW_HIDE);
        return;
    }
    ShowWindow(lblOpt, SW_SHOW);
    ShowWindow(chkOU, SW_SHOW);
    SetWindowTextW(chkOU, orvani::win32::Utf8ToUtf16(panel->ohUhCaption).c_str());
    ShowWindow(chkA, panel->aCaption ? SW_SHOW : SW_HIDE);
    if (panel->aCaption) {
        SetWindowTextW(chkA, orvani::win32::Utf8ToUtf16(*panel->aCaption).c_str());
    }
}

void frmMain::cmdConv_Click() {
    // Canonically equivalent texts, such as an accent typed on its own or with its letter,
    // convert alike.
    const std::u32string source = orvani::win32::ToCodePoints(orvani::win32::ToNfc(TextOf(txtL)));
    const orvani::DocumentType type =
        orvani::window::DocumentTypeFromName(Narrow(SelectedText(comType)));
    const orvani::ConversionOptions flags{.a = IsChecked(chkA), .ohUh = IsChecked(chkOU)};
    const std::u32string result =
        orvani::window::ConvertText(source, StandardOf(comL), StandardOf(comR), type, flags);
    ReplaceText(txtR, orvani::win32::WithCrLf(orvani::win32::ToUtf16(result)));
}

void frmMain::cmdCopy_Click() {
    const std::wstring text = TextOf(txtR);
    if (text.empty()) {
        return; // the clipboard keeps what it holds
    }
    if (!orvani::win32::PutClipboardText(hwnd_, text)) {
        MessageBeep(MB_ICONWARNING); // another program holds the clipboard
    }
}

void frmMain::cmdPaste_Click() {
    if (const std::optional<std::wstring> text = orvani::win32::ClipboardText(hwnd_)) {
        ReplaceText(txtL, orvani::win32::WithCrLf(*text));
    }
}

bool frmMain::PreTranslate(const MSG& message) const {
    // Escape would close the window from an edit box, as it cancels a dialog; the window has
    // no Cancel. An open list still closes on it.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        HWND focus = GetFocus();
        const bool openList = (focus == comL || focus == comR) &&
                              SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
        if (!openList) {
            return true;
        }
    }
    return IsDialogMessageW(hwnd_, const_cast<MSG*>(&message)) != FALSE;
}
