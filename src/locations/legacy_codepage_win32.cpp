#include <windows.h>

#include <climits>

#include "locations/platform.h"

namespace locations {

// The system's ANSI code page is what older tools on the same machine wrote with (GBK on Chinese
// Windows). Bytes that are not valid in it become the code page's default character.
AppText DecodeLegacyCodePage(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), units) != units) return {};
    return app::FromWide(wide);
}

} // namespace locations
