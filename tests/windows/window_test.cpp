// The Win32 window as built: its layout from the shared table, tab order, option panel, the
// table of expected conversions, undo, the clipboard and the accessible names.

#include "expected_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clipboard.h>
#include <commctrl.h>
#include <frm_main.h>
#include <frm_main_controls.h>
#include <normalization.h>
#include <oleacc.h>
#include <utf16.h>
#include <vector>

namespace {

using orvani::win32::Utf8ToUtf16;
using orvani::window::kControls;

class Win32Window : public ::testing::Test {
protected:
    Win32Window() : window_(GetModuleHandleW(nullptr)) {}

    HWND control(std::string_view name) const {
        return GetDlgItem(window_.handle(), frmMain::ControlId(name));
    }
    std::wstring text(std::string_view name) const {
        HWND box = control(name);
        std::wstring out(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        out.resize(static_cast<std::size_t>(
            GetWindowTextW(box, out.data(), static_cast<int>(out.size()))));
        return out;
    }
    void setText(std::string_view name, const std::wstring& value) const {
        SetWindowTextW(control(name), value.c_str());
    }
    void click(std::string_view name) const { SendMessageW(control(name), BM_CLICK, 0, 0); }
    void check(std::string_view name, bool checked) const {
        SendMessageW(control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // A pick, as the user's raises the list's change.
    void pick(std::string_view list, int index) const {
        SendMessageW(control(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window_.handle(), WM_COMMAND,
                     MAKEWPARAM(frmMain::ControlId(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control(list)));
    }
    void pickPair(orvani::Standard left, orvani::Standard right) const {
        pick("comL", static_cast<int>(left));
        pick("comR", static_cast<int>(right));
    }
    // Shown, as far as the control goes: the test never shows the window itself.
    bool visible(std::string_view name) const {
        return (GetWindowLongW(control(name), GWL_STYLE) & WS_VISIBLE) != 0;
    }

    frmMain window_;
};

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST_F(Win32Window, PlacesEveryControlAsTheTableSays) {
    const int dpi = ScreenDpi();
    RECT client{};
    GetClientRect(window_.handle(), &client);
    EXPECT_EQ(client.right, orvani::window::Pixels(orvani::window::kClientWidth, dpi));
    EXPECT_EQ(client.bottom, orvani::window::Pixels(orvani::window::kClientHeight, dpi));
    for (const orvani::window::ControlEntry& entry : kControls) {
        if (entry.kind == orvani::window::ControlKind::Line) {
            continue; // painted, not a control
        }
        RECT place{};
        GetWindowRect(control(entry.name), &place);
        MapWindowPoints(nullptr, window_.handle(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, orvani::window::Pixels(entry.left, dpi)) << entry.name;
        EXPECT_EQ(place.top, orvani::window::Pixels(entry.top, dpi)) << entry.name;
        EXPECT_EQ(place.right - place.left, orvani::window::Pixels(entry.width, dpi)) << entry.name;
        // A closed list keeps the height its toolkit gives its font (Wine's is two pixels over).
        if (entry.kind != orvani::window::ControlKind::List) {
            EXPECT_EQ(place.bottom - place.top, orvani::window::Pixels(entry.height, dpi))
                << entry.name;
        }
    }
}

TEST_F(Win32Window, TabVisitsTheControlsInTheirOrderAndComesBack) {
    const std::vector<std::string_view> expected = {"txtL",  "txtR", "cmdConv",  "comL",    "comR",
                                                    "chkOU", "chkA", "cmdPaste", "cmdCopy", "txtL"};
    HWND at = control("txtL");
    for (std::size_t i = 1; i < expected.size(); ++i) {
        at = GetNextDlgTabItem(window_.handle(), at, FALSE);
        EXPECT_EQ(at, control(expected[i])) << "after " << expected[i - 1];
    }
}

TEST_F(Win32Window, StartsAsLoaded) {
    EXPECT_EQ(text("comL"), L"Old");
    EXPECT_EQ(text("comR"), L"New");
    EXPECT_EQ(text("comType"), L"Plain");
    EXPECT_FALSE(IsWindowEnabled(control("comType")));
    EXPECT_TRUE(IsWindowEnabled(control("cmdConv")));
    EXPECT_EQ(SendMessageW(control("chkA"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(control("chkOU"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(text("cmdConv"), L"&Convert ->");
    EXPECT_EQ(SendMessageW(window_.handle(), DM_GETDEFID, 0, 0),
              MAKELRESULT(frmMain::ControlId("cmdConv"), DC_HASDEFID));
    EXPECT_NE(GetWindowLongW(control("cmdConv"), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
    EXPECT_EQ(GetWindowLongW(control("txtL"), GWL_STYLE) & ES_WANTRETURN, 0);
}

TEST_F(Win32Window, OpensCentredOnTheWorkArea) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame{};
    GetWindowRect(window_.handle(), &frame);
    EXPECT_LE(std::abs((frame.left - area.left) - (area.right - frame.right)), 1);
    EXPECT_LE(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)), 1);
}

// Every pair of standards: whether Convert is on, and the option panel, written out as the
// window must show it.
TEST_F(Win32Window, SetsConvertAndTheOptionPanelForEveryPair) {
    struct Row {
        int left, right;
        bool panel;
        const wchar_t* ohUh; // caption of chkOU, where shown
        const wchar_t* a;    // caption of chkA, null where hidden
    };
    const Row rows[] = {
        {0, 0, false, nullptr, nullptr},
        {0, 1, true, L"oh/uh -> o/u", L"ah/a -> a/æ"},
        {0, 2, true, L"oh/uh -> o/u", L"ah/a -> a/I"},
        {1, 0, true, L"o/u -> oh/uh", nullptr},
        {1, 1, false, nullptr, nullptr},
        {1, 2, false, nullptr, nullptr},
        {2, 0, true, L"o/u -> oh/uh", nullptr},
        {2, 1, false, nullptr, nullptr},
        {2, 2, false, nullptr, nullptr},
    };
    for (const Row& row : rows) {
        pick("comL", row.left);
        pick("comR", row.right);
        SCOPED_TRACE(::testing::Message() << row.left << " to " << row.right);
        EXPECT_EQ(IsWindowEnabled(control("cmdConv")) != FALSE, row.left != row.right);
        EXPECT_EQ(visible("lblOpt"), row.panel);
        EXPECT_EQ(visible("chkOU"), row.panel);
        EXPECT_EQ(visible("chkA"), row.a != nullptr);
        if (row.ohUh != nullptr) {
            EXPECT_EQ(text("chkOU"), row.ohUh);
        }
        if (row.a != nullptr) {
            EXPECT_EQ(text("chkA"), row.a);
        }
    }
}

TEST_F(Win32Window, GivesEveryExpectedConversion) {
    for (const orvani::testing::ExpectedConversion& row : orvani::testing::ExpectedConversions()) {
        if (row.source == row.target) {
            continue; // Convert is off for one standard on both sides
        }
        pickPair(row.source, row.target);
        check("chkA", row.options.a);
        check("chkOU", row.options.ohUh);
        setText("txtL", orvani::win32::WithCrLf(Utf8ToUtf16(row.text)));
        click("cmdConv");
        EXPECT_EQ(text("txtR"), orvani::win32::WithCrLf(Utf8ToUtf16(row.expected)))
            << orvani::testing::Describe(row);
    }
}

TEST_F(Win32Window, ConvertAndPasteCanBeUndone) {
    setText("txtL", L"kheetso");
    setText("txtR", L"before");
    click("cmdConv");
    EXPECT_EQ(text("txtR"), L"xíco");
    SendMessageW(control("txtR"), EM_UNDO, 0, 0);
    EXPECT_EQ(text("txtR"), L"before");

    ASSERT_TRUE(orvani::win32::PutClipboardText(window_.handle(), L"pasted\nline"));
    click("cmdPaste");
    EXPECT_EQ(text("txtL"), L"pasted\r\nline");
    SendMessageW(control("txtL"), EM_UNDO, 0, 0);
    EXPECT_EQ(text("txtL"), L"kheetso");
}

TEST_F(Win32Window, CopiesOnlyWhatThereIs) {
    ASSERT_TRUE(orvani::win32::PutClipboardText(window_.handle(), L"kept"));
    click("cmdCopy"); // the right box is empty
    EXPECT_EQ(orvani::win32::ClipboardText(window_.handle()), L"kept");

    setText("txtL", L"ÿ shahr\r\nee");
    click("cmdConv");
    click("cmdCopy");
    EXPECT_EQ(orvani::win32::ClipboardText(window_.handle()), L"ÿ šar\r\ní");
}

TEST_F(Win32Window, PasteLeavesTheBoxWithoutTextOnTheClipboard) {
    setText("txtL", L"mine");
    ASSERT_TRUE(OpenClipboard(window_.handle()));
    EmptyClipboard();
    CloseClipboard();
    click("cmdPaste");
    EXPECT_EQ(text("txtL"), L"mine");
}

TEST_F(Win32Window, EscapeLeavesTheWindowOpen) {
    SetFocus(control("txtL"));
    MSG escape{control("txtL"), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(window_.PreTranslate(escape));
    SendMessageW(window_.handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window_.handle()));
}

std::wstring AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(none)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring out = L"(none)";
    if (accessible->get_accName(self, &name) == S_OK && name != nullptr) {
        out = name;
        SysFreeString(name);
    }
    accessible->Release();
    return out;
}

// Buttons and check boxes are named by their texts. Windows names a list by the label just
// before it in z-order (Wine names it by its value, so that is checked by the order itself).
TEST_F(Win32Window, NamesEveryControlForScreenReaders) {
    const std::pair<std::string_view, const wchar_t*> names[] = {
        {"cmdConv", L"Convert ->"},
        {"cmdPaste", L"Paste clipboard to left window"},
        {"cmdCopy", L"Copy right window to the clipboard"},
        {"chkA", L"ah/a -> a/æ"},
        {"chkOU", L"oh/uh -> o/u"},
    };
    for (const auto& [control, name] : names) {
        EXPECT_EQ(AccessibleName(this->control(control)), name) << control;
    }
    for (const auto& [label, list] : {std::pair{"Label1", "comL"}, std::pair{"Label2", "comR"},
                                      std::pair{"Label3", "comType"}}) {
        EXPECT_EQ(GetWindow(control(list), GW_HWNDPREV), control(label)) << list;
    }
}

// NFC as Windows gives it, with what it refuses kept in place.
TEST(Win32Normalization, ComposesAroundWhatWindowsRefuses) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", L""},
        {L"xi\u0301co", L"xíco"},
        {L"a\u0301\xD800"
         L"e\u0301",
         L"á\xD800é"},                                      // a lone high surrogate
        {L"\xDC00o\u0308", L"\xDC00ö"},                     // a lone low surrogate
        {L"u\u0301\uFFFEu\u0301\uFDD0", L"ú\uFFFEú\uFDD0"}, // non-characters
        {L"\U0001F600e\u0301", L"\U0001F600é"},             // a surrogate pair is a character
        {L"\U0001FFFE", L"\U0001FFFE"},                     // so is a non-character beyond the BMP
        {L"\u1E9B\u0323", L"\u1E9B\u0323"},                 // already NFC
        {L"\u0041\u030A", L"\u00C5"},
    };
    for (const auto& [text, nfc] : cases) {
        EXPECT_EQ(orvani::win32::ToNfc(text), nfc);
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
