#include "clipboard.h"

#include "utf16.h"

#include <cstring>

namespace orvani::win32 {
namespace {

// The clipboard for the life of the object. Another program may hold it open a moment (a
// clipboard manager copying what was just put), so opening is tried a few times.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) {
                Sleep(10);
            }
        }
    }
    ~OpenClipboardScope() {
        if (open_) {
            CloseClipboard();
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

    [[nodiscard]] bool isOpen() const noexcept { return open_; }

private:
    bool open_ = false;
};

} // namespace

bool PutClipboardText(HWND owner, std::wstring_view text) {
    const std::wstring withCrLf = WithCrLf(text);
    const std::size_t bytes = (withCrLf.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, withCrLf.c_str(), bytes);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return false;
    }
    const OpenClipboardScope clipboard(owner);
    // Once the clipboard holds the memory it is the system's to free.
    if (!clipboard.isOpen() || !EmptyClipboard() ||
        SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

std::optional<std::wstring> ClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        return std::nullopt;
    }
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.isOpen()) {
        return std::nullopt;
    }
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    if (memory == nullptr) {
        return std::nullopt;
    }
    const auto* units = static_cast<const wchar_t*>(GlobalLock(memory));
    if (units == nullptr) {
        return std::nullopt;
    }
    // The text ends at its terminating null, or with the memory where another program left
    // none.
    const std::size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && units[length] != L'\0') {
        ++length;
    }
    std::wstring text(units, length);
    GlobalUnlock(memory);
    return text;
}

} // namespace orvani::win32
