// orvaniconv.exe: creates the window, shows it and runs its messages until it is closed.

#include "frm_main.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Tool tips and the themed controls come from version 6 of the common controls, which the
    // program's manifest asks for.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // For the accessibility layer, which names the text boxes.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    int exitCode = 1;
    {
        frmMain window(instance);
        if (window.handle() != nullptr) {
            window.Show(show);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (!window.PreTranslate(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return exitCode;
}
