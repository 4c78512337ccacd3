// The main loop and the event pump that the listing runs between entries share one way of handling a
// message, so keyboard navigation and clicks behave the same in both.

#include "main_window.h"

#include "app/ui.h"

namespace ui {

void HandleMessage(MSG& message) {
    HWND window = MainWindow();
    if (window && (message.hwnd == window || IsChild(window, message.hwnd))) {
        // Enter means nothing in the main window, whichever control has the focus: no button is a default
        // button, and a focused push button must not be promoted to one by the dialog manager either.
        if ((message.message == WM_KEYDOWN || message.message == WM_KEYUP) && message.wParam == VK_RETURN) return;
        if (IsDialogMessageW(window, &message)) return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int RunMessageLoop() {
    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) HandleMessage(message);
    return got == 0 ? static_cast<int>(message.wParam) : -1;
}

void ProcessPendingEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The main loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        HandleMessage(message);
    }
}

} // namespace ui
