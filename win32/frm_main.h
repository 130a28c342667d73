#pragma once

// The one window of Orvani Converter in the Win32 API: text in on the left, converted text out
// on the right, the standards and options in the column between.

#include <orvani/standard.h>

#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

class frmMain {
public:
    // Creates the window, hidden, and runs its load step; Show() then shows it.
    explicit frmMain(HINSTANCE instance);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    void Show(int how) const;
    // Gives the window the keys it answers as a dialog does (Tab, Enter, Alt+C); true where the
    // message needs no further dispatch.
    [[nodiscard]] bool PreTranslate(const MSG& message) const;
    [[nodiscard]] HWND handle() const noexcept { return hwnd_; }

    // The control's command identifier, from its name in the layout table.
    [[nodiscard]] static int ControlId(std::string_view name);
    static constexpr wchar_t kClassName[] = L"OrvaniConverterWindow";

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void fitListHeights() const;
    void createToolTips();
    void describeControls();
    void paintLines(HDC dc) const;

    void Form_Load();
    void comL_Click();
    void comR_Click();
    void cmdConv_Click();
    void cmdCopy_Click();
    void cmdPaste_Click();
    void options();

    [[nodiscard]] std::optional<orvani::Standard> StandardOf(HWND list) const;
    [[nodiscard]] HWND control(std::string_view name) const;

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    HFONT textFont_ = nullptr;
    HFONT dialogFont_ = nullptr;
    HICON icons_[4] = {}; // window large and small, Copy, Paste

    HWND txtL = nullptr;
    HWND txtR = nullptr;
    HWND cmdConv = nullptr;
    HWND Label1 = nullptr;
    HWND comL = nullptr;
    HWND Label2 = nullptr;
    HWND comR = nullptr;
    HWND Label3 = nullptr;
    HWND comType = nullptr;
    HWND lblOpt = nullptr;
    HWND chkOU = nullptr;
    HWND chkA = nullptr;
    HWND cmdPaste = nullptr;
    HWND cmdCopy = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    HWND toolTips_ = nullptr;
    HWND lastFocus_ = nullptr;
};
