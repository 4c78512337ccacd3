#include <iconv.h>

#include <cerrno>

#include "locations/platform.h"

namespace locations {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Without a converter the ASCII part is still worth having; the rest cannot be guessed.
AppText AsciiOnly(std::string_view bytes) {
    AppText out;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80)
            out.push_back(c);
        else
            out.append(kReplacement);
    }
    return out;
}

} // namespace

// GB18030 covers GBK and GB2312, which is what older Chinese Windows tools wrote.
AppText DecodeLegacyCodePage(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(bytes);

    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    AppText out;
    char chunk[4096];
    while (inLeft > 0) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        if (result != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // A byte that starts no character (EILSEQ), or a character cut off at the end (EINVAL): one
        // replacement character for one byte, then on with the rest.
        out.append(kReplacement);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

} // namespace locations
