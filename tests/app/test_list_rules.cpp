#include <vector>

#include <gtest/gtest.h>

#include "app/list_rules.h"

namespace {

TEST(ListRules, PrefixFindsFirstItemFromTheTop) {
    const std::vector<AppText> items = {"02月01日 10：00：00 a", "03月05日 10：00：00 b", "03月07日 10：00：00 c"};
    EXPECT_EQ(app::FindFirstItemWithPrefix(items, "03月"), 1);
    EXPECT_EQ(app::FindFirstItemWithPrefix(items, "04月"), -1);
    EXPECT_EQ(app::FindFirstItemWithPrefix({}, "03月"), -1);
}

TEST(ListRules, WholeTextCanMatchALongerItemAbove) {
    const std::vector<AppText> items = {"03月05日 10：00：00 TEST2", "03月05日 10：00：00 test"};
    EXPECT_EQ(app::FindFirstItemWithPrefix(items, "03月05日 10：00：00 test"), 0);
}

TEST(ListRules, EmptyPrefixMatchesNothing) {
    const std::vector<AppText> items = {"a", "b"};
    EXPECT_EQ(app::FindFirstItemWithPrefix(items, ""), -1);
}

TEST(ListRules, CheckMarkMovesButIsNeverCleared) {
    struct Case {
        int checked, clicked, expected;
    } cases[] = {
        {-1, 2, 2}, // first mark
        {2, 0, 0},  // ticking another moves it
        {0, 0, 0},  // ticking the marked one keeps it
        {1, -1, 1}, // a click beside the items
        {-1, -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::CheckMarkAfterClick(c.checked, c.clicked), c.expected) << c.checked << "," << c.clicked;
}

} // namespace
