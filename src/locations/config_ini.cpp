#include "locations/config_ini.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "locations/platform.h"

namespace fs = std::filesystem;

namespace locations::ini {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare like the profile functions compare them: ASCII letters without case, every other
// byte (all of a Chinese name) exactly.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// Splits at LF, CRLF or a lone CR, since files edited on other systems end lines any of those ways.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (!visit(text.substr(start, end - start))) return;
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n') ++start;
    }
}

AppText DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
    }
    return app::FromUtf16(units);
}

// One pair of the same quotation mark around the whole value is taken off; a lone or mismatched
// mark is part of the value.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return value;
}

// The text is well-formed UTF-8 here, so backing off continuation bytes lands on a character start.
std::string_view CutToLimit(std::string_view value) {
    if (value.size() <= kMaxValueBytes) return value;
    std::size_t cut = kMaxValueBytes;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return value.substr(0, cut);
}

} // namespace

AppText DecodeFileBytes(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
        // Marked as UTF-8 but holding a stray bad byte: keep it from reaching the paths as it is.
        return app::IsValidUtf8(bytes) ? AppText(bytes) : app::FromUtf16(app::ToUtf16(bytes));
    }
    if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
    if (app::IsValidUtf8(bytes)) return AppText(bytes);
    return DecodeLegacyCodePage(bytes);
}

AppText FindValue(std::string_view text, std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    // Only the first section of that name is searched, and in it only the first line with the key.
    bool inside = false;
    AppText found;
    ForEachLine(text, [&](std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.starts_with('[')) {
            if (inside) return false;
            std::string_view name = line.substr(1);
            const std::size_t close = name.rfind(']');
            if (close != std::string_view::npos) name = name.substr(0, close);
            inside = SameName(Trim(name), section);
            return true;
        }
        if (!inside) return true;
        const std::size_t equals = line.find('=');
        if (!SameName(Trim(line.substr(0, equals)), key)) return true;
        if (equals != std::string_view::npos) found = AppText(CutToLimit(Unquote(Trim(line.substr(equals + 1)))));
        return false;
    });
    return found;
}

std::string NewFileBytes(std::string_view section, std::string_view key, std::string_view value) {
    std::string out(kUtf8Bom);
    out.append("[").append(section).append("]\r\n");
    out.append(key).append("=").append(value).append("\r\n");
    return out;
}

bool Exists(const AppText& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(app::ToPath(path), ec));
}

std::string ReadFileBytes(const AppText& path) {
    const fs::path file = app::ToPath(path);
    // Only a regular file: a folder fails to read part-way, and a pipe would never end.
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    char chunk[16384];
    // read() turns a failing read into a state bit; istreambuf_iterator would let it escape as an exception.
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return {};
    return bytes;
}

AppText ReadValue(const AppText& path, std::string_view section, std::string_view key) {
    return FindValue(DecodeFileBytes(ReadFileBytes(path)), section, key);
}

bool CreateNewFile(const AppText& path, std::string_view section, std::string_view key, std::string_view value) {
    if (Exists(path)) return false;
    const fs::path file = app::ToPath(path);
    const std::string bytes = NewFileBytes(section, key, value);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out) return true;
    }
    // A half-written file would be read at the next start as if the user had written it; without it
    // the next start simply tries again.
    std::error_code ec;
    fs::remove(file, ec);
    return false;
}

} // namespace locations::ini
