#include "app/list_rules.h"

namespace app {

int FindFirstItemWithPrefix(std::span<const AppText> items, std::string_view prefix) {
    if (prefix.empty()) return -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (StartsWithIgnoringCase(items[i], prefix)) return static_cast<int>(i);
    return -1;
}

int CheckMarkAfterClick(int checked, int clicked) {
    // A click beside the items changes nothing. Otherwise the mark ends up on the clicked item whether
    // it stood there already or not: a mark is only ever moved, never cleared.
    return clicked < 0 ? checked : clicked;
}

} // namespace app
