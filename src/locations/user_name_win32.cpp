#include <windows.h>

#include <iterator>

#include "locations/platform.h"

namespace locations {

// A buffer of 50 characters: a longer logon name fails here and is treated as unknown.
AppText PlatformUserName() {
    wchar_t name[50];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (!GetUserNameW(name, &size) || size == 0) return {};
    // On success the size counts the terminator.
    return app::FromWide(std::wstring_view(name, size - 1));
}

} // namespace locations
