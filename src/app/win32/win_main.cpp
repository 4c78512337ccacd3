// Program entry of the Windows build. The command line is ignored.

#include <windows.h>

#include "app/shell.h"
#include "main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    app::StartUp();
    HWND window = ui::CreateMainWindow(instance);
    if (!window) return -1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return ui::RunMessageLoop();
}
