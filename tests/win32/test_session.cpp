// The real save-manager.exe, started in a folder of its own and worked through its window from this
// process as a player would: every click goes through the program's own message handling and modal
// dialogs, and every step is checked on disk.

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "app/text.h"
#include "operations/messages.h"
#include "resource.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using test_support::TempFolder;
using test_support::TreeOf;
using test_support::WriteFile;
using Tree = std::map<std::string, std::string>;

// Wine starts a process, lays out a dialog or copies a tree in well under a second, but a loaded build
// machine can take much longer; a step only fails once it is clearly stuck.
constexpr DWORD kPatienceMs = 60000;
constexpr UINT kSendTimeoutMs = 10000;
constexpr int kMessageBoxTextId = 0xFFFF; // the static control that holds a message box's text

std::wstring W(std::string_view utf8) { return app::ToWide(utf8); }
std::string U(std::wstring_view wide) { return app::FromWide(wide); }

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs = kPatienceMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() > deadline) return false;
        Sleep(20);
    }
}

// The build hands over the host's path of the program; under Wine the host's root is drive Z:.
fs::path BuiltProgram() {
    std::string built = SM_SAVE_MANAGER_EXE;
    if (!built.empty() && built.front() == '/') built = "Z:" + built;
    return app::ToPath(built).make_preferred();
}

// Text of a window of the other process, asked for by message so that controls answer for themselves.
std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got))
        return {};
    text.resize(std::min<std::size_t>(got, length));
    return text;
}

// The names directly inside a folder, sorted.
std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(app::FromPath(it->path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// "MM月DD日 HH：MM：SS " followed by exactly `note`: the name a backup gets.
bool IsBackupNameWithNote(const std::string& name, std::string_view note) {
    const std::wstring wide = W(name);
    const std::wstring_view pattern = L"00月00日 00：00：00 ";
    if (wide.size() < pattern.size() || wide.substr(pattern.size()) != W(note)) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool ok = pattern[i] == L'0' ? (wide[i] >= L'0' && wide[i] <= L'9') : wide[i] == pattern[i];
        if (!ok) return false;
    }
    return true;
}

// The one backup in `names` with that note; empty when there is none or more than one.
std::string BackupWithNote(const std::vector<std::string>& names, std::string_view note) {
    std::string found;
    for (const std::string& name : names) {
        if (!IsBackupNameWithNote(name, note)) continue;
        if (!found.empty()) return {};
        found = name;
    }
    return found;
}

// save-manager.exe running as a child of the test. Whatever a failing test leaves running is ended with it.
class RunningProgram {
public:
    RunningProgram(const fs::path& exe, const fs::path& workingFolder) {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder.c_str(),
                            &startup, &process_)) {
            ADD_FAILURE() << "could not start " << exe << ": error " << GetLastError();
            process_ = {};
        }
    }
    ~RunningProgram() {
        if (!process_.hProcess) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, kPatienceMs);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }

    // A visible top-level window of this program with exactly that caption, or null.
    HWND FindWindowCaptioned(std::string_view caption) const {
        struct Search {
            DWORD processId;
            std::wstring caption;
            HWND found;
        } search{process_.dwProcessId, W(caption), nullptr};
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
                wchar_t text[256] = {};
                GetWindowTextW(window, text, static_cast<int>(std::size(text)));
                if (s->caption != text) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND WaitForWindow(std::string_view caption) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindWindowCaptioned(caption)) != nullptr || Exited(); });
        return found;
    }

    // The main window once it is on screen: by then the creation event has resolved the folders and
    // filled the list.
    HWND MainWindow() {
        if (!main_) main_ = WaitForWindow("存档管理器");
        return main_;
    }
    HWND Control(int id) { return GetDlgItem(MainWindow(), id); }

    void Click(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

    // Waits for the message box, reads it and presses its OK button; the text, or "(no message box)".
    // Returns once the main window can be used again.
    std::string AnswerMessage() {
        HWND box = WaitForWindow("信息：");
        if (!box) return "(no message box)";
        const std::string text = U(WindowText(GetDlgItem(box, kMessageBoxTextId)));
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        const bool closed = WaitUntil([&] { return !IsWindow(box) && IsWindowEnabled(MainWindow()); });
        return closed ? text : "(message box stayed open: " + text + ")";
    }

    // Types `note` into the note dialog and confirms it. False when the dialog did not come or did not take it.
    bool AnswerNote(std::string_view note) {
        HWND dialog = WaitForWindow(operations::messages::kNoteTitle);
        if (!dialog) return false;
        HWND edit = GetDlgItem(dialog, IDC_ASK_TEXT_EDIT);
        const std::wstring wide = W(note);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &ignored);
        if (WindowText(edit) != wide) return false;
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return WaitUntil([&] { return !IsWindow(dialog); });
    }

    // The list's items. A read that overlaps a refresh (the listing answers messages between entries)
    // sees items vanish under it and is read again.
    std::vector<std::string> ListItems() {
        std::vector<std::string> items;
        WaitUntil([&] { return ReadList(items); });
        return items;
    }
    std::vector<std::string> SortedListItems() {
        std::vector<std::string> items = ListItems();
        std::sort(items.begin(), items.end());
        return items;
    }
    // The highlighted item's text, or "(none)".
    std::string Highlighted() {
        DWORD_PTR index = 0;
        SendMessageTimeoutW(Control(IDC_BACKUP_LIST), LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &index);
        const std::vector<std::string> items = ListItems();
        const auto at = static_cast<LRESULT>(index);
        return at >= 0 && at < static_cast<LRESULT>(items.size()) ? items[static_cast<std::size_t>(at)] : "(none)";
    }
    // Highlights the item with that text, as a click on it would. False when it is not listed.
    bool Highlight(const std::string& item) {
        const std::vector<std::string> items = ListItems();
        const auto at = std::find(items.begin(), items.end(), item);
        if (at == items.end()) return false;
        HWND list = Control(IDC_BACKUP_LIST);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(at - items.begin()), 0, SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &ignored);
        // The program reads the highlight only when a button is pressed.
        return Highlighted() == item;
    }

    // Asks the window to close and waits for the process; its exit code, or -1000 when it did not end.
    long CloseAndWait() {
        PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, kPatienceMs) != WAIT_OBJECT_0) return -1000;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

    bool Exited() const { return !process_.hProcess || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

private:
    bool ReadList(std::vector<std::string>& items) {
        items.clear();
        HWND list = Control(IDC_BACKUP_LIST);
        DWORD_PTR count = 0;
        if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count)) return false;
        for (WPARAM i = 0; i < count; ++i) {
            DWORD_PTR length = 0;
            if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
                static_cast<LRESULT>(length) == LB_ERR)
                return false;
            std::wstring text(length + 1, L'\0');
            DWORD_PTR got = 0;
            if (!SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                                     kSendTimeoutMs, &got) ||
                static_cast<LRESULT>(got) == LB_ERR)
                return false;
            text.resize(std::min<std::size_t>(got, length));
            items.push_back(U(text));
        }
        return true;
    }

    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// A run folder with a Chinese name holding nothing but a copy of the program; the working folder the
// program is started in lies elsewhere, so it has to find its own folder by the executable.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ec;
        fs::create_directories(runFolder_, ec);
        ASSERT_FALSE(ec) << runFolder_;
        fs::copy_file(BuiltProgram(), runFolder_ / L"save-manager.exe", ec);
        ASSERT_FALSE(ec) << "could not copy " << BuiltProgram() << ": " << ec.message();
    }

    std::unique_ptr<RunningProgram> Start() {
        return std::make_unique<RunningProgram>(runFolder_ / L"save-manager.exe", elsewhere_.path());
    }

    fs::path ConfigFile() const { return runFolder_ / L"config.ini"; }
    fs::path BackupFolder() const { return runFolder_ / L"save"; }

    TempFolder root_;
    TempFolder elsewhere_;
    const fs::path runFolder_ = root_.path() / L"游戏工具 存档管理器";
};

// The lines of a config.ini, without a byte-order mark and line ends.
std::vector<std::string> ConfigLines(const fs::path& file) {
    std::string text = test_support::ReadFile(file);
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TEST_F(SessionTest, FirstStartInAnEmptyFolderWritesTheConfigAndTheBackupFolderAndRefusesCommands) {
    auto program = Start();
    ASSERT_TRUE(program->Started());
    ASSERT_NE(program->MainWindow(), nullptr) << "the main window did not appear";

    EXPECT_EQ(NamesIn(runFolder_), (std::vector<std::string>{"config.ini", "save", "save-manager.exe"}));
    EXPECT_EQ(ConfigLines(ConfigFile()), (std::vector<std::string>{"[参数]", "存档地址="}));
    EXPECT_TRUE(fs::is_directory(BackupFolder()));
    EXPECT_TRUE(NamesIn(BackupFolder()).empty());
    EXPECT_TRUE(program->ListItems().empty());

    // The default save folder does not exist in a fresh Wine prefix, and nothing is listed yet.
    struct Refusal {
        int button;
        const char* message;
    };
    const Refusal refusals[] = {
        {IDC_BACKUP_BUTTON, operations::messages::kSaveFolderNotFound},
        {IDC_RESTORE_BUTTON, operations::messages::kNothingSelected},
        {IDC_DELETE_BUTTON, operations::messages::kNothingSelected},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.button);
        program->Click(refusal.button);
        EXPECT_EQ(program->AnswerMessage(), refusal.message);
        EXPECT_EQ(program->FindWindowCaptioned(operations::messages::kNoteTitle), nullptr);
    }
    const std::string config = test_support::ReadFile(ConfigFile());

    EXPECT_EQ(program->CloseAndWait(), 0);
    EXPECT_EQ(NamesIn(runFolder_), (std::vector<std::string>{"config.ini", "save", "save-manager.exe"}));
    EXPECT_TRUE(NamesIn(BackupFolder()).empty());
    EXPECT_EQ(test_support::ReadFile(ConfigFile()), config) << "nothing is written at exit";
}

TEST_F(SessionTest, BackUpTwiceRestoreTheFirstDeleteTheSecondThroughTheRealWindow) {
    // A save folder with nested folders, an empty one, Chinese names and bytes that text handling would break.
    TempFolder games;
    const fs::path live = games.path() / L"灯笼沼 存档";
    WriteFile(live / L"进度/第一章/槽位1.sav", "\x00\x01\xFF\xFE 第一章\r\n"sv);
    WriteFile(live / L"设置.ini", "音量=80\n");
    WriteFile(live / L"截图/封面 图.png", "\x89PNG\r\n\x1A\n"sv);
    fs::create_directories(live / L"空文件夹");
    const Tree original = TreeOf(live);

    // As a player writes it: UTF-8 with a byte-order mark, a Windows path, a trailing backslash.
    const std::string configText =
        "\xEF\xBB\xBF[参数]\r\n存档地址=" + app::FromPath(fs::path(live).make_preferred()) + "\\\r\n";
    WriteFile(ConfigFile(), configText);

    auto program = Start();
    ASSERT_TRUE(program->Started());
    ASSERT_NE(program->MainWindow(), nullptr) << "the main window did not appear";
    EXPECT_EQ(test_support::ReadFile(ConfigFile()), configText) << "an existing config.ini is left as it is";
    EXPECT_TRUE(program->ListItems().empty());

    // Two backups, each a full copy of the save at that moment.
    std::string first, second;
    for (const char* note : {"打boss前", "第二关"}) {
        SCOPED_TRACE(note);
        program->Click(IDC_BACKUP_BUTTON);
        ASSERT_TRUE(program->AnswerNote(note)) << "the note dialog did not take the note";
        ASSERT_EQ(program->AnswerMessage(), operations::messages::kDone);
        const std::vector<std::string> backups = NamesIn(BackupFolder());
        const std::string made = BackupWithNote(backups, note);
        ASSERT_FALSE(made.empty()) << "no backup named after the note among " << testing::PrintToString(backups);
        EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(made)), original);
        EXPECT_EQ(program->SortedListItems(), backups);
        EXPECT_EQ(program->Highlighted(), "(none)") << "the new backup is listed, not highlighted";
        (first.empty() ? first : second) = made;
    }
    ASSERT_EQ(NamesIn(BackupFolder()).size(), 2u);
    EXPECT_EQ(TreeOf(live), original) << "backing up leaves the save alone";
    EXPECT_EQ(NamesIn(runFolder_), (std::vector<std::string>{"config.ini", "save", "save-manager.exe"}));

    // The game goes on: a file changes, one appears, one goes.
    WriteFile(live / L"设置.ini", "音量=20\n");
    WriteFile(live / L"进度/第二章/槽位2.sav", "第二章");
    fs::remove(live / L"截图/封面 图.png");
    const Tree played = TreeOf(live);

    ASSERT_TRUE(program->Highlight(first));
    program->Click(IDC_RESTORE_BUTTON);
    ASSERT_EQ(program->AnswerMessage(), operations::messages::kDone);
    EXPECT_EQ(TreeOf(live), original) << "the save holds exactly the restored backup's files";
    EXPECT_EQ(NamesIn(games.path()), std::vector<std::string>{"灯笼沼 存档"}) << "nothing is left beside the save";
    const std::vector<std::string> afterRestore = NamesIn(BackupFolder());
    ASSERT_EQ(afterRestore.size(), 3u) << testing::PrintToString(afterRestore);
    const std::string automatic = BackupWithNote(afterRestore, operations::messages::kAutoBackupNote);
    ASSERT_FALSE(automatic.empty()) << testing::PrintToString(afterRestore);
    EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(automatic)), played) << "the replaced save is kept";
    EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(first)), original);
    EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(second)), original);
    EXPECT_EQ(program->SortedListItems(), afterRestore);
    EXPECT_EQ(program->Highlighted(), first) << "the restored backup stays highlighted";
    EXPECT_EQ(NamesIn(runFolder_), (std::vector<std::string>{"config.ini", "save", "save-manager.exe"}));

    // Deleting shows nothing when it succeeds: the list shrinking is the sign that it is done.
    ASSERT_TRUE(program->Highlight(second));
    program->Click(IDC_DELETE_BUTTON);
    const fs::path secondFolder = BackupFolder() / app::ToPath(second);
    const bool deleted = WaitUntil([&] { return !fs::exists(secondFolder) && program->ListItems().size() == 2; });
    ASSERT_TRUE(deleted) << "still listed: " << testing::PrintToString(program->ListItems()) << "; message shown: "
                         << (program->FindWindowCaptioned("信息：") ? program->AnswerMessage() : "none");
    EXPECT_EQ(program->FindWindowCaptioned("信息："), nullptr) << "a successful delete shows no message";
    std::vector<std::string> remaining = {first, automatic};
    std::sort(remaining.begin(), remaining.end());
    EXPECT_EQ(NamesIn(BackupFolder()), remaining) << "only the highlighted backup is gone";
    EXPECT_EQ(program->SortedListItems(), NamesIn(BackupFolder()));
    EXPECT_EQ(program->Highlighted(), "(none)");
    EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(first)), original);
    EXPECT_EQ(TreeOf(BackupFolder() / app::ToPath(automatic)), played);
    EXPECT_EQ(TreeOf(live), original);
    EXPECT_EQ(NamesIn(runFolder_), (std::vector<std::string>{"config.ini", "save", "save-manager.exe"}));

    EXPECT_EQ(program->CloseAndWait(), 0);
    EXPECT_EQ(NamesIn(BackupFolder()).size(), 2u) << "closing leaves the backups alone";
    EXPECT_EQ(TreeOf(live), original);
}

} // namespace
