#include "window_test.h"

#include <chrono>

#include "main_window.h"

namespace win32_test {

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ui::HandleMessage(message);
    }
}

void PressKey(UINT key, bool shift) {
    BYTE state[256];
    GetKeyboardState(state);
    const BYTE shiftBefore = state[VK_SHIFT];
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);

    HWND target = GetFocus();
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    Pump();
    if (IsWindow(target)) {
        PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
        Pump();
    }

    GetKeyboardState(state);
    state[VK_SHIFT] = shiftBefore;
    SetKeyboardState(state);
}

void Click(HWND window, POINT point) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    Pump();
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> ChildrenOfClass(HWND dialog, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && _wcsicmp(ClassOf(child).c_str(), className) == 0) found.push_back(child);
    return found;
}

std::wstring MessageBoxText(HWND box) {
    for (HWND label : ChildrenOfClass(box, L"Static"))
        if (!TextOf(label).empty()) return TextOf(label);
    return {};
}

DialogDriver::DialogDriver(const AppText& caption, std::function<void(HWND)> act)
    : caption_(app::ToWide(caption)), act_(std::move(act)) {
    thread_ = std::thread([this] {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + seconds(20);
        while (!stop_ && steady_clock::now() < deadline) {
            HWND found = FindWindowW(nullptr, caption_.c_str());
            DWORD process = 0;
            if (found) GetWindowThreadProcessId(found, &process);
            if (found && process == GetCurrentProcessId() && IsWindowVisible(found)) {
                found_ = true;
                act_(found);
                for (int i = 0; i < 250 && IsWindow(found); ++i) std::this_thread::sleep_for(milliseconds(20));
                if (IsWindow(found)) PostMessageW(found, WM_CLOSE, 0, 0);
                return;
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
    });
}

DialogDriver::~DialogDriver() { Finish(); }

bool DialogDriver::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return found_;
}

void MainWindowTest::SetUp() {
    window_ = ui::CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    Pump();
}

void MainWindowTest::TearDown() {
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageW(&message);
    }
}

HWND MainWindowTest::Control(int id) const { return GetDlgItem(window_, id); }

void MainWindowTest::Reopen() {
    TearDown();
    SetUp();
}

} // namespace win32_test
