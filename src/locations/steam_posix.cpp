#include "locations/steam.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "locations/config_ini.h"

namespace fs = std::filesystem;

namespace locations::steam {
namespace {

constexpr std::string_view kSaveBelowPrefix =
    "pfx/drive_c/users/steamuser/AppData/LocalLow/ostrelworks/lanternmoor/Steam";

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SameAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The tokens of Valve's KeyValues text: quoted strings with backslash escapes, bare words, braces,
// and // comments to the end of the line.
class Tokens {
public:
    enum class Kind { Text, Open, Close, Condition, End };
    struct Token {
        Kind kind;
        std::string text;
    };

    explicit Tokens(std::string_view source) : s_(source) {}

    Token Next() {
        for (;;) {
            while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
            if (s_.substr(pos_).starts_with("//")) {
                pos_ = s_.find('\n', pos_);
                if (pos_ == std::string_view::npos) pos_ = s_.size();
                continue;
            }
            break;
        }
        if (pos_ >= s_.size()) return {Kind::End, {}};
        const char c = s_[pos_];
        if (c == '{') return ++pos_, Token{Kind::Open, {}};
        if (c == '}') return ++pos_, Token{Kind::Close, {}};
        if (c == '"') return {Kind::Text, Quoted()};
        std::string word;
        while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '{' && s_[pos_] != '}' && s_[pos_] != '"')
            word.push_back(s_[pos_++]);
        // [$WIN32] and the like qualify the pair before them; they never name anything.
        return {word.starts_with('[') ? Kind::Condition : Kind::Text, word};
    }

private:
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

    std::string Quoted() {
        std::string text;
        for (++pos_; pos_ < s_.size() && s_[pos_] != '"'; ++pos_) {
            char c = s_[pos_];
            if (c == '\\' && pos_ + 1 < s_.size()) {
                c = s_[++pos_];
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
            }
            text.push_back(c);
        }
        if (pos_ < s_.size()) ++pos_; // the closing quote
        return text;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

// A library once written into a folder on another machine, or a relative path, is no folder here.
bool UsableLibraryPath(const AppText& path) { return !path.empty() && path.front() == '/'; }

// The same library is usually reached several ways (~/.steam/steam is a link to ~/.local/share/Steam,
// and every root lists itself); the link-free spelling names it once.
AppText CanonicalFolder(const AppText& path) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(app::ToPath(path), ec);
    if (ec || !fs::is_directory(canonical, ec)) return {};
    return app::FromPath(canonical);
}

// App ids are numbers: order them as numbers so the search does not depend on the directory order.
bool NumericOrder(const AppText& a, const AppText& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

AppText SaveFolderInLibrary(const AppText& library) {
    const fs::path compatdata = app::ToPath(library + "/steamapps/compatdata");
    std::error_code ec;
    std::vector<AppText> prefixes;
    for (fs::directory_iterator it(compatdata, ec), end; !ec && it != end; it.increment(ec))
        prefixes.push_back(app::FromPath(it->path().filename()));
    std::sort(prefixes.begin(), prefixes.end(), NumericOrder);
    for (const AppText& prefix : prefixes) {
        AppText candidate = library + "/steamapps/compatdata/" + prefix + "/" + AppText(kSaveBelowPrefix);
        if (fs::is_directory(app::ToPath(candidate), ec)) return candidate;
    }
    return {};
}

} // namespace

std::vector<AppText> ParseLibraryFolders(std::string_view vdf) {
    std::vector<AppText> folders;
    Tokens tokens(vdf);
    std::vector<std::string> keys; // the names of the blocks we are inside
    std::optional<std::string> key;
    for (Tokens::Token token = tokens.Next(); token.kind != Tokens::Kind::End; token = tokens.Next()) {
        switch (token.kind) {
        case Tokens::Kind::Open:
            keys.push_back(key.value_or(std::string()));
            key.reset();
            break;
        case Tokens::Kind::Close:
            if (!keys.empty()) keys.pop_back();
            key.reset();
            break;
        case Tokens::Kind::Condition:
            break;
        case Tokens::Kind::Text:
            if (!key) {
                key = std::move(token.text);
                break;
            }
            // "libraryfolders" { "1" "/path" } in older files, "libraryfolders" { "1" { "path" "/path" } } now.
            if ((keys.size() == 1 && IsDigits(*key)) ||
                (keys.size() == 2 && IsDigits(keys[1]) && SameAscii(*key, "path")))
                folders.push_back(std::move(token.text));
            key.reset();
            break;
        case Tokens::Kind::End:
            break;
        }
    }
    return folders;
}

std::vector<AppText> SteamRoots(const AppText& home) {
    return {home + "/.steam/steam", home + "/.local/share/Steam",
            home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam"};
}

AppText FindProtonSaveFolder(const std::vector<AppText>& roots) {
    std::vector<AppText> seen;
    const auto search = [&](const AppText& library) -> AppText {
        const AppText folder = CanonicalFolder(library);
        if (folder.empty() || std::find(seen.begin(), seen.end(), folder) != seen.end()) return {};
        seen.push_back(folder);
        return SaveFolderInLibrary(folder);
    };
    for (const AppText& root : roots) {
        // A root is a library of its own even when its list is missing or does not name it.
        if (AppText found = search(root); !found.empty()) return found;
        for (const AppText& library : ParseLibraryFolders(ini::ReadFileBytes(root + "/steamapps/libraryfolders.vdf"))) {
            if (!UsableLibraryPath(library)) continue;
            if (AppText found = search(library); !found.empty()) return found;
        }
    }
    return {};
}

} // namespace locations::steam
