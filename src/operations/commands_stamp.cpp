#include <ctime>

#include "operations/backup_name.h"
#include "operations/commands.h"

namespace operations {

AppText MakeBackupStamp() {
    const std::time_t now = std::time(nullptr);
    // std::localtime's shared buffer is safe here: every command runs on the one user-interface thread.
    const std::tm* local = std::localtime(&now);
    return local ? MakeBackupStamp(*local) : MakeBackupStamp(std::tm{});
}

} // namespace operations
