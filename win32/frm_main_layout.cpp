// The window's controls, made from the layout table: kind, place and size in twips, captions,
// tool tips, pictures, fonts, accessible names and tab order.

#include "frm_main.h"
#include "resource_ids.h"
#include "text_box_keys.h"
#include "utf16.h"

#include <commctrl.h>
#include <frm_main_controls.h>
#include <initguid.h>
#include <iterator>
#include <memory>
#include <oleacc.h>

using orvani::window::ControlEntry;
using orvani::window::ControlKind;
using orvani::window::kControls;
using orvani::window::Pixels;

namespace {

// Creation order is z-order, and z-order is both the tab order and where accessibility tools
// look for a control's name: the label just before a list names it.
constexpr std::string_view kCreationOrder[] = {
    "txtL",    "txtR",   "cmdConv", "Label1", "comL",     "Label2",  "comR",   "Label3",
    "comType", "lblOpt", "chkOU",   "chkA",   "cmdPaste", "cmdCopy", "Label5", "Label4"};

const ControlEntry& EntryOf(std::string_view name) {
    for (const ControlEntry& entry : kControls) {
        if (entry.name == name) {
            return entry;
        }
    }
    std::abort(); // the creation order names only controls of the table
}

// A tool tip as a name: without its closing full stop.
std::wstring AsName(std::string_view toolTip) {
    if (!toolTip.empty() && toolTip.back() == '.') {
        toolTip.remove_suffix(1);
    }
    return orvani::win32::Utf8ToUtf16(toolTip);
}

struct WindowClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

WindowClass ClassFor(const ControlEntry& entry) {
    switch (entry.kind) {
    case ControlKind::TextBox:
        // No ES_WANTRETURN: Enter presses Convert, Ctrl+Enter breaks the line.
        return {WC_EDITW, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE};
    case ControlKind::List:
        return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Button:
        return {WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case ControlKind::PictureButton:
        return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, 0};
    case ControlKind::Label:
    case ControlKind::Line:
        break;
    }
    const DWORD alignment = entry.name == "Label4" ? SS_RIGHT : SS_LEFT;
    return {WC_STATICW, SS_NOPREFIX | alignment, 0};
}

HFONT MakeFont(const wchar_t* family, int tenthsOfPoints, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(tenthsOfPoints, dpi, 720);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET; // Western
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, family, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

HICON LoadIconSized(HINSTANCE instance, int id, int size) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};

} // namespace

int frmMain::ControlId(std::string_view name) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].name == name) {
            return 100 + static_cast<int>(i); // clear of IDOK and IDCANCEL
        }
    }
    return 0;
}

HWND frmMain::control(std::string_view name) const {
    return GetDlgItem(hwnd_, ControlId(name));
}

void frmMain::createControls() {
    // The text boxes' font is fixed; the others take the dialog font of the system.
    textFont_ = MakeFont(L"Arial", static_cast<int>(orvani::window::kTextFontPoints * 10), dpi_);
    dialogFont_ = MakeFont(L"MS Shell Dlg 2", 80, dpi_);

    icons_[0] = LoadIconSized(instance_, IDI_ORVANICONV, GetSystemMetrics(SM_CXICON));
    icons_[1] = LoadIconSized(instance_, IDI_ORVANICONV, GetSystemMetrics(SM_CXSMICON));
    const int pictureSize = MulDiv(32, dpi_, 96);
    icons_[2] = LoadIconSized(instance_, IDI_COPY, pictureSize);
    icons_[3] = LoadIconSized(instance_, IDI_PASTE, pictureSize);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[0]));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[1]));

    for (const std::string_view name : kCreationOrder) {
        const ControlEntry& entry = EntryOf(name);
        const WindowClass windowClass = ClassFor(entry);
        const bool isList = entry.kind == ControlKind::List;
        // A picture button's window text, never shown, is its accessible name.
        const std::wstring caption = entry.kind == ControlKind::PictureButton
                                         ? AsName(entry.toolTip)
                                     : isList ? std::wstring()
                                              : orvani::win32::Utf8ToUtf16(entry.caption);
        // A list's height is that of its open list; the closed field's height is set below.
        const int height = isList ? Pixels(entry.height, dpi_) * 6 : Pixels(entry.height, dpi_);
        HWND child = CreateWindowExW(
            windowClass.exStyle, windowClass.name, caption.c_str(),
            WS_CHILD | WS_VISIBLE | windowClass.style, Pixels(entry.left, dpi_),
            Pixels(entry.top, dpi_), Pixels(entry.width, dpi_), height, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(name))), instance_, nullptr);
        SendMessageW(
            child, WM_SETFONT,
            reinterpret_cast<WPARAM>(entry.kind == ControlKind::TextBox ? textFont_ : dialogFont_),
            FALSE);
        if (isList) {
            std::string_view items = entry.caption;
            while (!items.empty()) {
                const std::size_t end = items.find('\n');
                const std::wstring item = orvani::win32::Utf8ToUtf16(items.substr(0, end));
                SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
                items = end == std::string_view::npos ? std::string_view() : items.substr(end + 1);
            }
        }
        if (entry.kind == ControlKind::TextBox) {
            SendMessageW(child, EM_SETLIMITTEXT, 0, 0); // as long as memory allows
        }
        if (entry.picture != orvani::window::Picture::None) {
            SendMessageW(child, BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(
                             icons_[entry.picture == orvani::window::Picture::Copy ? 2 : 3]));
        }
    }

    txtL = control("txtL");
    txtR = control("txtR");
    cmdConv = control("cmdConv");
    Label1 = control("Label1");
    comL = control("comL");
    Label2 = control("Label2");
    comR = control("comR");
    Label3 = control("Label3");
    comType = control("comType");
    lblOpt = control("lblOpt");
    chkOU = control("chkOU");
    chkA = control("chkA");
    cmdPaste = control("cmdPaste");
    cmdCopy = control("cmdCopy");
    Label4 = control("Label4");
    Label5 = control("Label5");

    SendMessageW(chkA, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(chkOU, BM_SETCHECK, BST_UNCHECKED, 0);
    EnableWindow(comType, FALSE);
    orvani::win32::GiveTextBoxDialogKeys(txtL, cmdConv);
    orvani::win32::GiveTextBoxDialogKeys(txtR, cmdConv);

    fitListHeights();
    createToolTips();
    describeControls();
    SetFocus(txtL);
}

void frmMain::fitListHeights() const {
    // A closed list is as high as its place: the field plus the list's own frame. Only known
    // once the list has taken its font.
    for (const ControlEntry& entry : kControls) {
        if (entry.kind != ControlKind::List) {
            continue;
        }
        HWND list = control(entry.name);
        const LRESULT field = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        RECT frame{};
        GetWindowRect(list, &frame);
        const int closed = static_cast<int>(frame.bottom - frame.top);
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     field + Pixels(entry.height, dpi_) - closed);
    }
}

void frmMain::createToolTips() {
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
    for (const ControlEntry& entry : kControls) {
        if (entry.toolTip.empty()) {
            continue;
        }
        std::wstring text = orvani::win32::Utf8ToUtf16(entry.toolTip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(control(entry.name));
        tool.lpszText = text.data(); // copied by the tool tip
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void frmMain::describeControls() {
    // The lists are named by the labels before them and the buttons by their window texts;
    // the text boxes have no label, so their names are given to the accessibility layer.
    IAccPropServices* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&raw)))) {
        return; // then screen readers name the boxes by their place alone
    }
    const std::unique_ptr<IAccPropServices, ComRelease> services(raw);
    struct Description {
        HWND box;
        const wchar_t* name;
        const wchar_t* description;
    };
    const Description descriptions[] = {
        {txtL, L"Text to convert",
         L"Type or paste the text here. Enter converts it; Ctrl+Enter breaks the line."},
        {txtR, L"Converted text", L"The converted text appears here. Ctrl+Enter breaks the line."},
    };
    for (const Description& entry : descriptions) {
        services->SetHwndPropStr(entry.box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, entry.name);
        services->SetHwndPropStr(entry.box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_DESCRIPTION, entry.description);
    }
}

void frmMain::paintLines(HDC dc) const {
    for (const ControlEntry& entry : kControls) {
        if (entry.kind != ControlKind::Line) {
            continue;
        }
        const RECT line{Pixels(entry.left, dpi_), Pixels(entry.top, dpi_),
                        Pixels(entry.left + entry.width, dpi_),
                        Pixels(entry.top, dpi_) + std::max(1, Pixels(entry.height, dpi_))};
        HBRUSH brush = CreateSolidBrush(
            RGB(entry.colour >> 16 & 0xFF, entry.colour >> 8 & 0xFF, entry.colour & 0xFF));
        FillRect(dc, &line, brush);
        DeleteObject(brush);
    }
}
