#include <windows.h>

#include <string>

#include "locations/platform.h"

namespace locations {

AppText ExecutableFolder() {
    // The path can be longer than MAX_PATH (a \\?\ start); grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    // Everything before the last separator: for a program in the root of a drive that is the bare
    // drive, such as D:.
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos) return {};
    return app::FromWide(std::wstring_view(path).substr(0, last));
}

AppText ChooseRunDirectory(const Environment& environment) { return environment.executableFolder; }

} // namespace locations
