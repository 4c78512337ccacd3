// The program's message box and the fatal error box.

#include <windows.h>

#include <iterator>

#include "app/text.h"
#include "app/ui.h"

namespace ui {

void ShowMessage(const AppText& text) {
    // Owned by no window but task-modal, so every window of the program is disabled while it is open.
    // The box goes away while they are still disabled, so the system finds none of them to activate and
    // the user would be left without keyboard focus: give the activation back to the window that had it.
    HWND active = GetActiveWindow();
    MessageBoxW(nullptr, app::ToWide(text).c_str(), L"信息：", MB_OK | MB_TASKMODAL);
    if (active && IsWindow(active) && GetActiveWindow() != active) SetForegroundWindow(active);
}

void ShowFatalError(const char* utf8Text) noexcept {
    // Reached when the heap has failed: the text is converted into static storage, nothing is allocated.
    static wchar_t text[1024];
    if (!utf8Text || MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, text, static_cast<int>(std::size(text))) == 0)
        lstrcpynW(text, L"程序遇到无法恢复的错误，将退出。", static_cast<int>(std::size(text)));
    text[std::size(text) - 1] = L'\0';
    MessageBoxW(nullptr, text, L"错误", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

} // namespace ui
