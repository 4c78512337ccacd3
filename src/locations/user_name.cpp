#include "locations/locations.h"
#include "locations/platform.h"

namespace locations {
namespace {

// The name has to fit a buffer of 50 characters with its terminator; a longer one counts as unknown,
// which leaves the user part of the default save folder empty.
constexpr std::size_t kMaxUserNameCharacters = 49;

std::size_t CharacterCount(const AppText& text) {
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

} // namespace

AppText CurrentUserName() {
    AppText name = PlatformUserName();
    if (CharacterCount(name) > kMaxUserNameCharacters) return {};
    return name;
}

} // namespace locations
