#pragma once
// Helpers for tests that open the real main window under Wine: a fixture that builds and shows it, key
// presses routed through the program's own message handling, and a driver for modal dialogs.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/text.h"

namespace win32_test {

// Handles everything queued, as the program does between the entries of a listing.
void Pump();

// A key press (down and up) delivered to the focused window through the program's message handling,
// with Shift held when asked. The thread's key state is set directly, as the dialog keyboard handling
// reads it with GetKeyState.
void PressKey(UINT key, bool shift = false);

// A left click at a point of a window's client area.
void Click(HWND window, POINT point);

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
RECT RectInParent(HWND control); // the control's window rectangle in its parent's client coordinates

// The visible children of a dialog with the given window class, in Z order.
std::vector<HWND> ChildrenOfClass(HWND dialog, const wchar_t* className);
// The text a message box shows (its non-empty static text).
std::wstring MessageBoxText(HWND box);

// Waits on a helper thread for a visible top-level window of this process with the given caption and
// runs `act` on it there, while the test thread sits in the dialog's own modal loop. Should `act` leave
// the window open, it is closed after a while so a failing test cannot hang.
class DialogDriver {
public:
    DialogDriver(const AppText& caption, std::function<void(HWND)> act);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Stops waiting and tells whether the window appeared (and `act` ran).
    bool Finish();

private:
    std::wstring caption_;
    std::function<void(HWND)> act_;
    std::atomic<bool> stop_{false};
    bool found_ = false;
    std::thread thread_;
};

// Builds the main window as the program does (creation event included), shows it and lets it settle.
// Whatever a test leaves open is destroyed afterwards, and the queue (a quit message included) drained.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Control(int id) const;
    void Reopen(); // a fresh window in place of the current one

    HWND window_ = nullptr;
};

} // namespace win32_test
