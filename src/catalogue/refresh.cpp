#include <utility>

#include "app/state.h"
#include "app/ui.h"
#include "catalogue/catalogue.h"

namespace catalogue {

// The listing lets the window handle queued input between entries, so BackupPaths and the list must
// still describe the previous refresh while it runs: both are replaced only once the listing is
// complete, and nothing in between hands control back to the window.
//
// The remembered item is highlighted with one SelectByPrefix after the last Append. Calling it after
// every Append ends with the same highlight (the first item from the top that begins with the text,
// or none), but would search the list once per item and make a refresh quadratic in the number of
// backups.
void RefreshBackupList() {
    app::SharedState& state = app::State();
    std::vector<AppText> paths = FindSubfolders(state.BackupRoot);

    std::swap(state.BackupPaths, paths); // the previous paths are released as `paths` goes
    ui::BackupListView::Clear();
    for (const AppText& path : state.BackupPaths) ui::BackupListView::Append(DisplayNameOf(path));
    ui::BackupListView::SelectByPrefix(state.RememberedSelection);
}

} // namespace catalogue
