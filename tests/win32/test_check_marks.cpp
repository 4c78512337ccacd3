// The check boxes of 选择列表框1: at most one mark, ticking another moves it, the last cannot be cleared.

#include <string>
#include <vector>

#include "app/ui.h"
#include "check_list.h"
#include "resource.h"
#include "window_test.h"

namespace {

using win32_test::MainWindowTest;

class CheckMarkTest : public MainWindowTest {
protected:
    HWND List() const { return Control(IDC_BACKUP_LIST); }

    void Fill(int count) {
        ui::BackupListView::Clear();
        for (int i = 0; i < count; ++i) ui::BackupListView::Append("backup " + std::to_string(i));
    }

    // Every item's mark, as a string of 0 and 1, so one comparison shows the whole list.
    std::string Marks() const {
        std::string marks;
        const int count = static_cast<int>(SendMessageW(List(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) marks += ui::check_list::IsItemChecked(List(), i) ? '1' : '0';
        return marks;
    }

    void ClickBox(int index) {
        const RECT box = ui::check_list::CheckBoxRect(List(), index);
        win32_test::Click(List(), POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    }

    void ClickText(int index) {
        RECT item{};
        SendMessageW(List(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        win32_test::Click(List(), POINT{item.left + 150, (item.top + item.bottom) / 2});
    }
};

TEST_F(CheckMarkTest, CheckBoxSitsAtTheLeftOfEveryRow) {
    Fill(3);
    for (int i = 0; i < 3; ++i) {
        RECT item{};
        SendMessageW(List(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
        const RECT box = ui::check_list::CheckBoxRect(List(), i);
        EXPECT_GT(box.right - box.left, 6);
        EXPECT_GE(box.left, item.left);
        EXPECT_LT(box.right, item.left + 30);
        EXPECT_GE(box.top, item.top);
        EXPECT_LE(box.bottom, item.bottom);
    }
}

TEST_F(CheckMarkTest, TickingMovesTheSingleMarkAndTheLastMarkStays) {
    enum Action { kBox, kText, kSpace };
    struct Step {
        const char* what;
        Action action;
        int index;
        const char* marks;
        int highlighted;
    };
    const Step steps[] = {
        {"new items carry no mark", kText, 0, "0000", 0},
        {"ticking an item marks it", kBox, 2, "0010", 2},
        {"ticking the marked item keeps its mark", kBox, 2, "0010", 2},
        {"ticking another moves the mark", kBox, 0, "1000", 0},
        {"clicking beside the box only highlights", kText, 3, "1000", 3},
        {"Space ticks the highlighted item", kSpace, 3, "0001", 3},
        {"Space on the marked item keeps the mark", kSpace, 3, "0001", 3},
    };
    Fill(4);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        switch (step.action) {
        case kBox:
            ClickBox(step.index);
            break;
        case kText:
            ClickText(step.index);
            break;
        case kSpace:
            SetFocus(List());
            win32_test::PressKey(VK_SPACE);
            break;
        }
        EXPECT_EQ(Marks(), step.marks);
        EXPECT_EQ(ui::BackupListView::SelectedIndex(), step.highlighted);
    }
}

TEST_F(CheckMarkTest, ClickBelowTheLastItemChangesNoMark) {
    Fill(2);
    ClickBox(1);
    const RECT box = ui::check_list::CheckBoxRect(List(), 1);
    win32_test::Click(List(), POINT{(box.left + box.right) / 2, box.bottom + 40});
    EXPECT_EQ(Marks(), "01");
}

TEST_F(CheckMarkTest, RebuildingTheListDropsTheMark) {
    Fill(3);
    ClickBox(1);
    ASSERT_EQ(Marks(), "010");
    Fill(3);
    EXPECT_EQ(Marks(), "000");
}

} // namespace
