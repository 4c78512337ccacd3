// The one window of the program: fixed layout, Tab order given by creation order, and nothing bound but
// the creation event and the four button clicks.

#include "main_window.h"

#include <commctrl.h>

#include "app/events.h"
#include "app/text.h"
#include "check_list.h"
#include "resource.h"

namespace ui {
namespace {

constexpr wchar_t kClassName[] = L"SaveManagerMainWindow";
constexpr int kOuterWidth = 398;
constexpr int kOuterHeight = 248;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_DISABLENOSCROLL |
                             LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;

struct ControlLayout {
    int id;
    const wchar_t* className;
    const char* caption;
    DWORD style;
    int x, y, width, height;
};

// Listed in Tab order: the dialog manager walks the children in creation order.
constexpr ControlLayout kControls[] = {
    {IDC_REFRESH_BUTTON, WC_BUTTONW, "刷新", kButtonStyle, 152, 176, 72, 32},
    {IDC_BACKUP_LIST, WC_LISTBOXW, "", kListStyle, 8, 8, 376, 160},
    {IDC_RESTORE_BUTTON, WC_BUTTONW, "恢复选中", kButtonStyle, 232, 176, 72, 32},
    {IDC_BACKUP_BUTTON, WC_BUTTONW, "创建备份", kButtonStyle, 8, 176, 72, 32},
    {IDC_DELETE_BUTTON, WC_BUTTONW, "删除备份", kButtonStyle, 312, 176, 72, 32},
};

HWND g_window = nullptr;
HFONT g_font = nullptr;
HWND g_focus = nullptr;      // the control that had the focus when the window was last deactivated
bool g_closePending = false; // a close request arrived while a command was running

HFONT CreateMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

bool RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kClassName, &existing)) return true;

    // The list box and buttons come from version 6 of the common controls when the manifest asks for it;
    // registering the standard classes makes sure that library is loaded and its classes exist.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    // One 128 x 128 image in the resource; the system scales it to each size it asks for.
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                      GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_DEFAULTCOLOR | LR_SHARED));
    return RegisterClassExW(&windowClass) != 0;
}

bool CreateControls(HWND window, HINSTANCE instance) {
    g_font = CreateMessageFont();
    for (const ControlLayout& layout : kControls) {
        // WM_MEASUREITEM for the list arrives inside this call, so the font must exist already.
        HWND control = CreateWindowExW(0, layout.className, app::ToWide(layout.caption).c_str(), layout.style, layout.x, layout.y,
                                       layout.width, layout.height, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
        if (!control) return false;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
        if (layout.id == IDC_BACKUP_LIST) check_list::Attach(control);
    }
    return true;
}

void CloseWindowOrDefer(HWND window) {
    // The running command still uses the window and its list; it closes once that command has returned.
    if (app::CommandRunning()) {
        g_closePending = true;
        return;
    }
    DestroyWindow(window);
}

void CloseIfDeferred(HWND window) {
    if (g_closePending && !app::CommandRunning()) {
        g_closePending = false;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

void OnCommand(HWND window, int id, int notification) {
    // Esc arrives from the dialog keyboard handling as IDCANCEL. Enter would arrive as IDOK and is ignored.
    if (id == IDCANCEL) {
        CloseWindowOrDefer(window);
        return;
    }
    if (notification != BN_CLICKED) return;
    switch (id) {
    case IDC_BACKUP_BUTTON:
        app::OnButtonClicked(app::Button::CreateBackup);
        break;
    case IDC_REFRESH_BUTTON:
        app::OnButtonClicked(app::Button::Refresh);
        break;
    case IDC_RESTORE_BUTTON:
        app::OnButtonClicked(app::Button::Restore);
        break;
    case IDC_DELETE_BUTTON:
        app::OnButtonClicked(app::Button::Delete);
        break;
    default:
        return;
    }
    CloseIfDeferred(window);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        g_window = window;
        g_closePending = false;
        g_focus = nullptr;
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (!CreateControls(window, create->hInstance)) return -1;
        app::OnMainWindowCreated();
        CloseIfDeferred(window);
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_BACKUP_LIST) break;
        measure->itemHeight = static_cast<UINT>(check_list::RowHeight(g_font));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID != IDC_BACKUP_LIST) break;
        check_list::DrawItem(*draw);
        return TRUE;
    }
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        // A plain window forgets which control had the focus when it is deactivated (by a message box,
        // Alt+Tab); keep it so the user comes back to the same control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) g_focus = focus;
        }
        break;
    case WM_SETFOCUS: {
        HWND target = g_focus && IsWindow(g_focus) ? g_focus : GetNextDlgTabItem(window, nullptr, FALSE);
        if (target) SetFocus(target);
        return 0;
    }
    case WM_CLOSE:
        CloseWindowOrDefer(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // After the children are gone, so none of them still draws with the font.
        g_window = nullptr;
        g_focus = nullptr;
        if (g_font) DeleteObject(g_font);
        g_font = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    if (!RegisterMainWindowClass(instance, MainWindowProc)) return nullptr;
    // Centred on the primary screen; integer division truncates toward zero as the layout asks.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2;
    return CreateWindowExW(WS_EX_APPWINDOW, kClassName, app::ToWide("存档管理器").c_str(), kWindowStyle, left, top,
                           kOuterWidth, kOuterHeight, nullptr, nullptr, instance, nullptr);
}

HWND MainWindow() { return g_window; }

HWND MainWindowControl(int id) { return g_window ? GetDlgItem(g_window, id) : nullptr; }

} // namespace ui
