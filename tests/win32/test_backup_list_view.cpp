// BackupListView over the real list box of the main window.

#include <string>
#include <vector>

#include "app/ui.h"
#include "resource.h"
#include "window_test.h"

namespace {

namespace view = ui::BackupListView;
using win32_test::MainWindowTest;

void Fill(const std::vector<AppText>& items) {
    view::Clear();
    for (const AppText& item : items) view::Append(item);
}

TEST_F(MainWindowTest, AppendKeepsTheOrderAndTheTextExactly) {
    const std::vector<AppText> items = {"b", "a", "03月05日 10：00：00 打boss前", "A&B 100%", ""};
    view::Clear();
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(view::Append(items[i]), static_cast<int>(i));
    ASSERT_EQ(SendMessageW(Control(IDC_BACKUP_LIST), LB_GETCOUNT, 0, 0), static_cast<LRESULT>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(view::ItemText(static_cast<int>(i)), items[i]);
}

TEST_F(MainWindowTest, NothingHighlightedGivesMinusOneAndOutOfRangeIndicesGiveEmptyText) {
    Fill({"one", "two"});
    EXPECT_EQ(view::SelectedIndex(), -1) << "a new list starts with nothing highlighted";
    EXPECT_EQ(view::ItemText(-1), "");
    EXPECT_EQ(view::ItemText(2), "");
    EXPECT_EQ(view::ItemText(1000), "");

    SendMessageW(Control(IDC_BACKUP_LIST), LB_SETCURSEL, 1, 0);
    EXPECT_EQ(view::SelectedIndex(), 1);
    view::Clear();
    EXPECT_EQ(view::SelectedIndex(), -1);
    EXPECT_EQ(SendMessageW(Control(IDC_BACKUP_LIST), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(view::ItemText(0), "");
}

TEST_F(MainWindowTest, SelectByPrefixHighlightsTheFirstItemFromTheTopThatBeginsWithIt) {
    struct Case {
        const char* name;
        std::vector<AppText> items;
        int highlightedBefore;
        AppText prefix;
        int expected;
    };
    const std::vector<AppText> months = {"02月01日 01：00：00 无备注", "03月05日 02：00：00 无备注",
                                         "03月07日 03：00：00 无备注"};
    const Case cases[] = {
        {"month prefix", months, -1, "03月", 1},
        {"whole text of a shorter item below a longer one", {"存档 加长", "存档"}, 1, "存档", 0},
        {"letter case ignored", {"Alpha", "beta boss"}, -1, "BETA", 1},
        {"no match leaves the highlight", months, 2, "04月", 2},
        {"no match with nothing highlighted", months, -1, "x", -1},
        {"empty prefix leaves the highlight", months, 0, "", 0},
        {"empty prefix with nothing highlighted", months, -1, "", -1},
        {"prefix longer than every item", {"ab"}, -1, "abc", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.items);
        if (c.highlightedBefore >= 0) SendMessageW(Control(IDC_BACKUP_LIST), LB_SETCURSEL, c.highlightedBefore, 0);
        view::SelectByPrefix(c.prefix);
        EXPECT_EQ(view::SelectedIndex(), c.expected);
    }
}

TEST_F(MainWindowTest, SelectByPrefixBetweenAppendsAndAcrossClearsFindsTheFirstMatchOfTheCurrentItems) {
    // A rebuild may search after each item it adds; what is found must always be the first match among
    // the items the list holds now.
    view::Clear();
    view::Append("02月 a");
    view::SelectByPrefix("03月");
    EXPECT_EQ(view::SelectedIndex(), -1);
    view::Append("03月 b");
    view::SelectByPrefix("03月");
    EXPECT_EQ(view::SelectedIndex(), 1);
    view::Append("03月 c");
    view::SelectByPrefix("03月");
    EXPECT_EQ(view::SelectedIndex(), 1);
    view::SelectByPrefix("02月");
    EXPECT_EQ(view::SelectedIndex(), 0);

    view::Clear();
    view::Append("03月 c");
    view::SelectByPrefix("03月");
    EXPECT_EQ(view::SelectedIndex(), 0);
    view::Append("02月 a");
    view::SelectByPrefix("02月");
    EXPECT_EQ(view::SelectedIndex(), 1);
}

TEST_F(MainWindowTest, ListStartsEmptyInEveryNewWindow) {
    Fill({"left over"});
    Reopen();
    view::SelectByPrefix("left");
    EXPECT_EQ(view::SelectedIndex(), -1);
    EXPECT_EQ(view::ItemText(0), "");
}

} // namespace
