#pragma once

// The system clipboard in its Unicode text format.

#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

namespace orvani::win32 {

// Empties the clipboard and puts `text` on it, with CR LF line ends as Windows programs expect
// them. False where the clipboard could not be had: another program may hold it open.
bool PutClipboardText(HWND owner, std::wstring_view text);

// The clipboard's text, or none where it holds no text (Windows offers any of its text formats
// as Unicode text) or could not be opened.
[[nodiscard]] std::optional<std::wstring> ClipboardText(HWND owner);

} // namespace orvani::win32
