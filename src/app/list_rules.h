#pragma once
// Rules of the backup list that both front ends follow, kept here so they agree.

#include <span>

#include "app/text.h"

namespace app {

// Index of the first item, from the top, whose text begins with `prefix` ignoring letter case, or -1.
// An empty prefix matches nothing, so start-up and a create with nothing highlighted leave the
// highlight alone.
int FindFirstItemWithPrefix(std::span<const AppText> items, std::string_view prefix);

// Where the single check mark stands after the user ticks `clicked` while it stands on `checked`
// (-1: no mark yet). Ticking another item moves the mark; the last mark cannot be cleared.
int CheckMarkAfterClick(int checked, int clicked);

} // namespace app
