// The main window as the user meets it: frame, position, controls, fonts, resources and the keyboard.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/state.h"
#include "app/text.h"
#include "main_window.h"
#include "resource.h"
#include "support/temp_folder.h"
#include "window_test.h"

namespace {

using win32_test::ClassOf;
using win32_test::MainWindowTest;
using win32_test::PressKey;
using win32_test::RectInParent;
using win32_test::TextOf;

std::wstring W(const char* utf8) { return app::ToWide(utf8); }

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

TEST_F(MainWindowTest, OpensCentredWithAFixedFrameAndNoMaximiseButton) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the window tests run on a 1024 x 768 screen";
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    RECT outer{};
    GetWindowRect(window_, &outer);
    EXPECT_EQ(outer.left, 313);
    EXPECT_EQ(outer.top, 260);
    EXPECT_EQ(outer.right - outer.left, 398);
    EXPECT_EQ(outer.bottom - outer.top, 248);

    EXPECT_EQ(TextOf(window_), W("存档管理器"));
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    for (LONG_PTR wanted : {LONG_PTR{WS_CAPTION}, LONG_PTR{WS_SYSMENU}, LONG_PTR{WS_MINIMIZEBOX}})
        EXPECT_EQ(style & wanted, wanted) << wanted;
    for (LONG_PTR unwanted :
         {LONG_PTR{WS_MAXIMIZEBOX}, LONG_PTR{WS_THICKFRAME}, LONG_PTR{WS_POPUP}, LONG_PTR{WS_CHILD}})
        EXPECT_EQ(style & unwanted, 0) << unwanted;
    const LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0) << "own taskbar button";
    EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);

    EXPECT_EQ(GetClassLongPtrW(window_, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    EXPECT_NE(GetClassLongPtrW(window_, GCLP_HICON), 0u);
    EXPECT_NE(GetClassLongPtrW(window_, GCLP_HICONSM), 0u);
}

TEST_F(MainWindowTest, ControlsHaveTheirPlaceCaptionAndStyle) {
    struct Case {
        int id;
        const char* name;
        const wchar_t* className;
        const char* caption;
        RECT rect;
        LONG_PTR required;
        LONG_PTR forbidden;
    };
    constexpr LONG_PTR kCommon = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    constexpr LONG_PTR kButton = kCommon | BS_CENTER | BS_VCENTER;
    const Case cases[] = {
        {IDC_BACKUP_LIST,
         "选择列表框1",
         L"ListBox",
         "",
         {8, 8, 384, 168},
         kCommon | WS_VSCROLL | WS_BORDER | LBS_DISABLENOSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
             LBS_NOINTEGRALHEIGHT,
         LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_OWNERDRAWVARIABLE | WS_DISABLED},
        {IDC_BACKUP_BUTTON, "备份按钮", L"Button", "创建备份", {8, 176, 80, 208}, kButton, WS_DISABLED},
        {IDC_REFRESH_BUTTON, "刷新按钮", L"Button", "刷新", {152, 176, 224, 208}, kButton, WS_DISABLED},
        {IDC_RESTORE_BUTTON, "恢复按钮", L"Button", "恢复选中", {232, 176, 304, 208}, kButton, WS_DISABLED},
        {IDC_DELETE_BUTTON, "删除按钮", L"Button", "删除备份", {312, 176, 384, 208}, kButton, WS_DISABLED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND control = Control(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), c.className);
        EXPECT_EQ(TextOf(control), W(c.caption));
        const RECT rect = RectInParent(control);
        EXPECT_EQ(rect.left, c.rect.left);
        EXPECT_EQ(rect.top, c.rect.top);
        EXPECT_EQ(rect.right, c.rect.right);
        EXPECT_EQ(rect.bottom, c.rect.bottom);
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        // The list is empty here: its scroll bar must stay even when there is nothing to scroll.
        EXPECT_EQ(style & c.required, c.required);
        EXPECT_EQ(style & c.forbidden, 0);
        if (c.id != IDC_BACKUP_LIST) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "a plain push button, never the default button";
            EXPECT_EQ(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0);
        } else {
            EXPECT_EQ(GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "a single-line border";
        }
    }
    // The dialog keyboard handling sends IDOK for Enter and IDCANCEL for Esc; no control may answer to them.
    EXPECT_EQ(Control(IDOK), nullptr);
    EXPECT_EQ(Control(IDCANCEL), nullptr);
}

TEST_F(MainWindowTest, EveryControlUsesTheSystemMessageFontAndListRowsAreTwoPixelsTaller) {
    const LOGFONTW expected = MessageFont();
    HFONT listFont = nullptr;
    for (int id : {IDC_BACKUP_LIST, IDC_BACKUP_BUTTON, IDC_REFRESH_BUTTON, IDC_RESTORE_BUTTON, IDC_DELETE_BUTTON}) {
        SCOPED_TRACE(id);
        auto font = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << "a control without WM_SETFONT draws in the bitmap System font";
        LOGFONTW actual{};
        ASSERT_NE(GetObjectW(font, sizeof actual, &actual), 0);
        EXPECT_STREQ(actual.lfFaceName, expected.lfFaceName);
        EXPECT_EQ(actual.lfHeight, expected.lfHeight);
        EXPECT_EQ(actual.lfWeight, expected.lfWeight);
        if (id == IDC_BACKUP_LIST) listFont = font;
    }
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, listFont);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(SendMessageW(Control(IDC_BACKUP_LIST), LB_GETITEMHEIGHT, 0, 0), metrics.tmHeight + 2);
}

#pragma pack(push, 2)
struct IconGroupEntry { // GRPICONDIRENTRY of a group icon resource
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ProgramResources, IconIsOne128By128ImageWith32BitsPerPixel) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_APP_ICON), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header[2], 1) << "one image";
    IconGroupEntry entry;
    std::memcpy(&entry, header + 3, sizeof entry);
    EXPECT_EQ(entry.width, 128);
    EXPECT_EQ(entry.height, 128);
    EXPECT_EQ(entry.bitCount, 32);

    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry.id), RT_ICON);
    ASSERT_NE(image, nullptr);
    BITMAPINFOHEADER bitmap;
    std::memcpy(&bitmap, LockResource(LoadResource(module, image)), sizeof bitmap);
    EXPECT_EQ(bitmap.biWidth, 128);
    EXPECT_EQ(bitmap.biHeight, 256) << "colour and mask";
    EXPECT_EQ(bitmap.biBitCount, 32);
}

TEST(ProgramResources, ManifestSelectsCommonControls6AndDeclaresNoDpiAwareness) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
}

TEST_F(MainWindowTest, TabAndShiftTabWalkTheControlsInTheirCycle) {
    const std::vector<int> forward = {IDC_REFRESH_BUTTON, IDC_BACKUP_LIST, IDC_RESTORE_BUTTON, IDC_BACKUP_BUTTON,
                                      IDC_DELETE_BUTTON};
    for (bool backwards : {false, true}) {
        SCOPED_TRACE(backwards ? "Shift+Tab" : "Tab");
        SetFocus(Control(IDC_REFRESH_BUTTON));
        ASSERT_EQ(GetFocus(), Control(IDC_REFRESH_BUTTON));
        const std::size_t n = forward.size();
        // Two full rounds, so the wrap from the last control to the first is covered in each direction.
        for (std::size_t step = 1; step <= 2 * n; ++step) {
            PressKey(VK_TAB, backwards);
            const int expected = forward[backwards ? (n - step % n) % n : step % n];
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), expected) << "after step " << step;
        }
    }
}

TEST_F(MainWindowTest, EscClosesTheWindowWhicheverControlHasTheFocus) {
    for (int id : {IDC_BACKUP_LIST, IDC_REFRESH_BUTTON, IDC_RESTORE_BUTTON, IDC_BACKUP_BUTTON, IDC_DELETE_BUTTON}) {
        SCOPED_TRACE(id);
        Reopen();
        SetFocus(Control(id));
        ASSERT_EQ(GetDlgCtrlID(GetFocus()), id);
        PressKey(VK_ESCAPE);
        EXPECT_FALSE(IsWindow(window_));
        MSG quit;
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop ends";
    }
}

TEST_F(MainWindowTest, MessageLoopReturnsOnceTheWindowHasClosed) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ui::RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(MainWindowTest, ButtonClicksRunTheirCommands) {
    test_support::TempFolder temp;
    struct Case {
        int id;
        const char* message;
    };
    // With nothing highlighted and no save folder, each command answers with its own message.
    const Case cases[] = {
        {IDC_BACKUP_BUTTON, "存档目录为空，请在配置文件（config.ini）填写需要备份的目录"},
        {IDC_RESTORE_BUTTON, "未选中已备份的存档"},
        {IDC_DELETE_BUTTON, "未选中已备份的存档"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        app::State().SaveDirectory = app::JoinPath(temp.text(), "missing");
        std::wstring shown;
        win32_test::DialogDriver driver("信息：", [&](HWND box) {
            shown = win32_test::MessageBoxText(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        SendMessageW(Control(c.id), BM_CLICK, 0, 0);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(shown, W(c.message));
    }
}

TEST_F(MainWindowTest, EnterRunsNothingWhicheverControlHasTheFocus) {
    test_support::TempFolder temp;
    app::State().SaveDirectory = app::JoinPath(temp.text(), "missing");
    for (int id : {IDC_BACKUP_LIST, IDC_REFRESH_BUTTON, IDC_RESTORE_BUTTON, IDC_BACKUP_BUTTON, IDC_DELETE_BUTTON}) {
        SCOPED_TRACE(id);
        // Tab to the control, so the dialog manager had every chance to make a focused button the default.
        SetFocus(Control(IDC_DELETE_BUTTON));
        while (GetDlgCtrlID(GetFocus()) != id) PressKey(VK_TAB);
        win32_test::DialogDriver driver("信息：", [](HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); });
        PressKey(VK_RETURN);
        EXPECT_FALSE(driver.Finish()) << "Enter ran a command";
        EXPECT_TRUE(IsWindow(window_));
    }
}

} // namespace
