#include "app/events.h"

#include "catalogue/catalogue.h"
#include "locations/locations.h"
#include "operations/commands.h"

namespace app {
namespace {

bool g_running = false;

// Marks a command as running for as long as it lives.
class RunningCommand {
public:
    RunningCommand() { g_running = true; }
    ~RunningCommand() { g_running = false; }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;
};

} // namespace

void OnMainWindowCreated() {
    RunningCommand running;
    locations::ResolveLocations();
    operations::RecoverUnfinishedWork();
    catalogue::RefreshBackupList();
}

void OnButtonClicked(Button button) {
    if (g_running) return;
    RunningCommand running;
    switch (button) {
    case Button::CreateBackup: operations::CreateBackup(); break;
    case Button::Refresh: catalogue::RefreshBackupList(); break;
    case Button::Restore: operations::RestoreSelectedBackup(); break;
    case Button::Delete: operations::DeleteSelectedBackup(); break;
    }
}

bool CommandRunning() { return g_running; }

} // namespace app
