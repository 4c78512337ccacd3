#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "locations/platform.h"
#include "locations/posix_paths.h"

namespace locations {
namespace {

// The passwd entry of the real user, not $USER or $LOGNAME, which any parent process can set.
template <typename Field> AppText PasswdField(Field field) {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (std::size_t{1} << 20))
        buffer.resize(buffer.size() * 2);
    if (result == nullptr) return {};
    const char* value = field(*result);
    return value != nullptr ? AppText(value) : AppText();
}

} // namespace

AppText PlatformUserName() {
    return PasswdField([](const passwd& entry) { return entry.pw_name; });
}

AppText PasswdHomeFolder() {
    return PasswdField([](const passwd& entry) { return entry.pw_dir; });
}

} // namespace locations
