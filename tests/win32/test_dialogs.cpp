// ShowMessage and AskText, driven through the real modal dialogs from a helper thread.

#include <functional>
#include <string>
#include <vector>

#include "app/text.h"
#include "app/ui.h"
#include "resource.h"
#include "window_test.h"

namespace {

using win32_test::ChildrenOfClass;
using win32_test::DialogDriver;
using win32_test::MainWindowTest;
using win32_test::TextOf;

std::wstring W(const char* utf8) { return app::ToWide(utf8); }

TEST_F(MainWindowTest, ShowMessageIsAnUnownedProgramModalBoxWithOneOkButton) {
    struct Seen {
        std::wstring text;
        HWND owner = reinterpret_cast<HWND>(1);
        bool mainEnabled = true;
        std::vector<std::wstring> buttons;
        int buttonId = 0;
    } seen;
    DialogDriver driver("信息：", [&](HWND box) {
        seen.text = win32_test::MessageBoxText(box);
        seen.owner = GetWindow(box, GW_OWNER);
        seen.mainEnabled = IsWindowEnabled(window_);
        for (HWND button : ChildrenOfClass(box, L"Button")) {
            seen.buttons.push_back(TextOf(button));
            seen.buttonId = GetDlgCtrlID(button);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ui::ShowMessage("完成");
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(seen.text, W("完成"));
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.mainEnabled) << "the main window cannot be used while the box is open";
    EXPECT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttonId, IDOK);
    EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(MainWindowTest, FocusReturnsToItsControlWhenADialogCloses) {
    struct Case {
        const char* caption;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"信息：", [] { ui::ShowMessage("完成"); }},
        {"请输入存档备注说明", [] { ui::AskText("请输入存档备注说明", ""); }},
    };
    HWND list = GetDlgItem(window_, IDC_BACKUP_LIST);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        SetFocus(list);
        ASSERT_EQ(GetFocus(), list);
        DialogDriver driver(c.caption, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
        c.open();
        ASSERT_TRUE(driver.Finish());
        win32_test::Pump();
        EXPECT_EQ(GetActiveWindow(), window_);
        EXPECT_EQ(GetFocus(), list);
    }
}

TEST_F(MainWindowTest, FatalErrorBoxCarriesTheErrorCaptionAnIconAndTheText) {
    struct Seen {
        std::wstring text;
        bool icon = false;
        std::size_t buttons = 0;
    } seen;
    DialogDriver driver("错误", [&](HWND box) {
        seen.text = win32_test::MessageBoxText(box);
        for (HWND label : ChildrenOfClass(box, L"Static"))
            if ((GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) seen.icon = true;
        seen.buttons = ChildrenOfClass(box, L"Button").size();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ui::ShowFatalError("内存不足：无法分配 4096 字节，程序将退出。");
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(seen.text, W("内存不足：无法分配 4096 字节，程序将退出。"));
    EXPECT_TRUE(seen.icon);
    EXPECT_EQ(seen.buttons, 1u);
}

TEST_F(MainWindowTest, AskTextShowsTheTitleAndTheInitialTextAllSelected) {
    struct Seen {
        std::wstring caption, edit, ok, cancel;
        DWORD selectionStart = 1, selectionEnd = 0;
        LRESULT defaultId = 0;
        std::size_t edits = 0, labels = 99;
        HWND owner = nullptr;
        bool mainEnabled = true;
        bool editFocused = false;
    } seen;
    DialogDriver driver("请输入存档备注说明", [&](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_ASK_TEXT_EDIT);
        seen.caption = TextOf(dialog);
        seen.edit = TextOf(edit);
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selectionStart),
                     reinterpret_cast<LPARAM>(&seen.selectionEnd));
        seen.ok = TextOf(GetDlgItem(dialog, IDOK));
        seen.cancel = TextOf(GetDlgItem(dialog, IDCANCEL));
        seen.defaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
        seen.edits = ChildrenOfClass(dialog, L"Edit").size();
        seen.labels = ChildrenOfClass(dialog, L"Static").size();
        seen.owner = GetWindow(dialog, GW_OWNER);
        seen.mainEnabled = IsWindowEnabled(window_);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        seen.editFocused = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus == edit;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ui::AskText("请输入存档备注说明", "无备注 旧的");
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(seen.caption, W("请输入存档备注说明"));
    EXPECT_EQ(seen.edit, W("无备注 旧的"));
    EXPECT_EQ(seen.selectionStart, 0u);
    EXPECT_EQ(seen.selectionEnd, seen.edit.size()) << "the whole text is selected";
    EXPECT_TRUE(seen.editFocused);
    EXPECT_EQ(seen.ok, W("确认输入(&O)"));
    EXPECT_EQ(seen.cancel, W("取消(&C)"));
    EXPECT_EQ(seen.defaultId, IDOK) << "confirming is the default button";
    EXPECT_EQ(seen.edits, 1u);
    EXPECT_EQ(seen.labels, 0u) << "no prompt line";
    EXPECT_EQ(seen.owner, window_);
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(MainWindowTest, AskTextConfirmsWithTheFieldsTextAndCancelsOnEveryOtherWayOut) {
    enum Way { kOkButton, kEnter, kCancelButton, kEsc, kCloseBox };
    struct Case {
        const char* name;
        AppText initial;
        const char* typed; // null: leave the field as it is
        Way way;
        bool confirmed;
        AppText text;
    };
    const Case cases[] = {
        {"confirmed empty", "无备注", "", kOkButton, true, ""},
        {"confirmed with new text", "无备注", "打boss前", kOkButton, true, "打boss前"},
        {"confirmed by Enter keeps the initial text", "无备注", nullptr, kEnter, true, "无备注"},
        {"cancel button", "无备注", "new", kCancelButton, false, "无备注"},
        {"Esc", "无备注", "new", kEsc, false, "无备注"},
        {"close box", "无备注", "new", kCloseBox, false, "无备注"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogDriver driver("备注", [&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, IDC_ASK_TEXT_EDIT);
            if (c.typed) SetWindowTextW(edit, app::ToWide(c.typed).c_str());
            switch (c.way) {
            case kOkButton:
                PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                break;
            case kCancelButton:
                PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
                break;
            case kEnter:
                PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
                break;
            case kEsc:
                PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
                break;
            case kCloseBox:
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
            }
        });
        const ui::AskTextResult result = ui::AskText("备注", c.initial);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(result.confirmed, c.confirmed);
        EXPECT_EQ(result.text, c.text);
    }
}

} // namespace
