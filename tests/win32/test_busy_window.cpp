// What the window does while a command runs and lets queued input through (the folder listing handles
// pending messages between entries): clicks are ignored and a close waits for the command to end.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/state.h"
#include "app/text.h"
#include "app/ui.h"
#include "resource.h"
#include "support/temp_folder.h"
#include "window_test.h"

namespace {

using win32_test::MainWindowTest;
namespace fs = std::filesystem;

class BusyWindowTest : public MainWindowTest {
protected:
    // A backup folder with `count` backups whose names sort the same way by any rule; the core is pointed
    // at it.
    std::vector<AppText> MakeBackups(int count) {
        std::vector<AppText> names;
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "01月01日 00：%02d：%02d 备注%03d", i / 60, i % 60, i);
            names.push_back(name);
            fs::create_directories(backups_ / name);
            test_support::WriteFile(backups_ / (std::string(name) + "/save.dat"), name);
        }
        PointCoreAtBackups();
        return names;
    }

    // Creating the window resolves the locations again, so this follows every new window.
    void PointCoreAtBackups() {
        app::State().BackupRoot = backups_.text() + app::kPathSeparator;
        app::State().RememberedSelection.clear();
    }

    std::vector<AppText> ListItems() {
        std::vector<AppText> items;
        const int count = static_cast<int>(SendMessageW(Control(IDC_BACKUP_LIST), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) items.push_back(ui::BackupListView::ItemText(i));
        return items;
    }

    std::vector<AppText> FoldersOnDisk() {
        std::vector<AppText> names;
        for (const auto& entry : fs::directory_iterator(backups_.path()))
            names.push_back(app::FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    bool ClickStillQueued(HWND button) {
        MSG message;
        return PeekMessageW(&message, button, BM_CLICK, BM_CLICK, PM_NOREMOVE) != 0;
    }

    test_support::TempFolder backups_;
};

TEST_F(BusyWindowTest, ClickDeliveredWhileARefreshListsIsIgnoredAndTheListStaysConsistent) {
    const std::vector<AppText> names = MakeBackups(300);
    SendMessageW(Control(IDC_REFRESH_BUTTON), BM_CLICK, 0, 0);
    ASSERT_EQ(ListItems(), names);
    SendMessageW(Control(IDC_BACKUP_LIST), LB_SETCURSEL, 5, 0);
    ASSERT_EQ(ui::BackupListView::SelectedIndex(), 5);

    // The delete click waits in the queue; the listing of the refresh hands it to the window.
    win32_test::DialogDriver noMessage("信息：", [](HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); });
    PostMessageW(Control(IDC_DELETE_BUTTON), BM_CLICK, 0, 0);
    SendMessageW(Control(IDC_REFRESH_BUTTON), BM_CLICK, 0, 0);
    ASSERT_FALSE(ClickStillQueued(Control(IDC_DELETE_BUTTON))) << "the click was not delivered during the listing";
    win32_test::Pump();

    EXPECT_FALSE(noMessage.Finish()) << "the delete ran";
    EXPECT_EQ(FoldersOnDisk(), names) << "nothing is deleted";
    EXPECT_EQ(ListItems(), names);
    EXPECT_EQ(app::State().BackupPaths.size(), names.size());
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(BusyWindowTest, CloseRequestDuringARefreshWaitsUntilTheRefreshHasFinished) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool toList;
    };
    const Case cases[] = {
        {"close box", WM_CLOSE, 0, false},
        {"Alt+F4 / system menu", WM_SYSCOMMAND, SC_CLOSE, false},
        {"Esc in the list", WM_KEYDOWN, VK_ESCAPE, true},
    };
    const std::vector<AppText> names = MakeBackups(20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen();
        PointCoreAtBackups();
        PostMessageW(c.toList ? Control(IDC_BACKUP_LIST) : window_, c.message, c.wParam, 0);
        SendMessageW(Control(IDC_REFRESH_BUTTON), BM_CLICK, 0, 0);
        // The refresh ran to its end with the window and its list still there...
        ASSERT_TRUE(IsWindow(window_)) << "destroyed under the running command";
        EXPECT_EQ(ListItems(), names);
        // ...and the close it put off follows.
        win32_test::Pump();
        EXPECT_FALSE(IsWindow(window_));
    }
}

} // namespace
