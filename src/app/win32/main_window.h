#pragma once
// The Win32 main window and the message handling that its loop and the listing's event pump share.

#include <windows.h>

namespace ui {

// Builds the main window with its controls, still hidden. Its creation event has run when this returns.
// Null when the window cannot be made.
HWND CreateMainWindow(HINSTANCE instance);

// The main window while it exists, else null.
HWND MainWindow();

// One control of the main window by its IDC_* identifier, or null.
HWND MainWindowControl(int id);

// Handles one retrieved message the way the main loop does: Tab, Shift+Tab and Esc as in a dialog for the
// main window, Enter ignored there, everything else translated and dispatched.
void HandleMessage(MSG& message);

// Runs until the main window has closed and returns the exit code.
int RunMessageLoop();

} // namespace ui
