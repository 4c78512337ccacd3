// Files held open without sharing by another process, as a running game or a virus scanner holds
// them. The holder is this same test program, started again to run only LockHolder.
#if defined(_WIN32)

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "commands_fixture.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;

std::wstring Environment(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = ::GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}

bool WaitForFile(const fs::path& file, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::error_code ec;
    while (!fs::exists(file, ec)) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Runs only in the child started by HeldFile.
TEST(LockHolder, HoldsFileOpenWithoutSharing) {
    const std::wstring file = Environment(L"SM_HOLD_FILE");
    if (file.empty()) GTEST_SKIP() << "only run as the helper process of the locked-file tests";
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    test_support::WriteFile(fs::path(Environment(L"SM_HOLD_READY")), "held");
    WaitForFile(fs::path(Environment(L"SM_HOLD_RELEASE")), std::chrono::seconds(120));
    ::CloseHandle(handle);
}

// Holds `file` open in another process for as long as it lives.
class HeldFile {
public:
    HeldFile(const fs::path& file, const fs::path& signals) : ready_(signals / "ready"), release_(signals / "release") {
        fs::create_directories(signals);
        ::SetEnvironmentVariableW(L"SM_HOLD_FILE", file.wstring().c_str());
        ::SetEnvironmentVariableW(L"SM_HOLD_READY", ready_.wstring().c_str());
        ::SetEnvironmentVariableW(L"SM_HOLD_RELEASE", release_.wstring().c_str());
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=LockHolder.HoldsFileOpenWithoutSharing";
        // The helper's own GoogleTest report would only clutter this one's.
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE quiet = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                     0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = quiet;
        startup.hStdOutput = quiet;
        startup.hStdError = quiet;
        started_ =
            ::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process_);
        if (quiet != INVALID_HANDLE_VALUE) ::CloseHandle(quiet);
        ::SetEnvironmentVariableW(L"SM_HOLD_FILE", nullptr);
        started_ = started_ && WaitForFile(ready_, std::chrono::seconds(60));
    }
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const { return started_; }

    void Release() {
        if (!process_.hProcess) return;
        test_support::WriteFile(release_, "go");
        ::WaitForSingleObject(process_.hProcess, 60000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        process_ = {};
    }

private:
    fs::path ready_, release_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

class LockedFileTest : public CommandsTest {
protected:
    fs::path Signals() const { return temp_ / "signals"; }
    std::vector<std::string> AutoBackups() const {
        std::vector<std::string> found;
        for (const std::string& name : BackupNames())
            if (IsStampedName(name, messages::kAutoBackupNote)) found.push_back(name);
        return found;
    }
};

const Tree kLive = {{"profile.sav", "in use by the game"}, {"slots/", ""}, {"slots/1.sav", "slot"}};

TEST_F(LockedFileTest, CreateFailsCleanlyWhileASaveFileIsHeldOpen) {
    WriteTree(Live(), kLive);
    HeldFile held(Live() / "profile.sav", Signals());
    ASSERT_TRUE(held.Held());
    fake_ui::QueueAnswer(true, "locked");

    operations::CreateBackup();

    held.Release();
    EXPECT_TRUE(BackupNames().empty());
    EXPECT_FALSE(fs::exists(WorkFolder()));
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    EXPECT_EQ(fake_ui::Messages()[0].rfind(messages::kCreateFailed, 0), 0u) << fake_ui::Messages()[0];
    EXPECT_NE(fake_ui::Messages()[0].find("profile.sav"), AppText::npos) << fake_ui::Messages()[0];
    EXPECT_EQ(test_support::TreeOf(Live()), kLive);
}

TEST_F(LockedFileTest, RestoreFailsAndLeavesTheLiveSaveUntouchedWhileAFileIsHeldOpen) {
    WriteTree(Live(), kLive);
    WriteTree(Backup("older"), {{"profile.sav", "older"}});
    ListAndHighlight("older");
    HeldFile held(Live() / "slots/1.sav", Signals());
    ASSERT_TRUE(held.Held());

    operations::RestoreSelectedBackup();

    held.Release();
    EXPECT_EQ(test_support::TreeOf(Live()), kLive);
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    EXPECT_EQ(fake_ui::Messages()[0].rfind(messages::kRestoreFailed, 0), 0u) << fake_ui::Messages()[0];
    EXPECT_TRUE(AutoBackups().empty());
    ExpectNoWorkLeft();
}

TEST_F(LockedFileTest, RestoreFailsAndLeavesTheLiveSaveUntouchedWhenABackupFileCannotBeRead) {
    WriteTree(Live(), kLive);
    WriteTree(Backup("older"), {{"profile.sav", "older"}, {"slots/1.sav", "held"}});
    ListAndHighlight("older");
    HeldFile held(Backup("older") / "slots/1.sav", Signals());
    ASSERT_TRUE(held.Held());

    operations::RestoreSelectedBackup();

    held.Release();
    EXPECT_EQ(test_support::TreeOf(Live()), kLive);
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    EXPECT_EQ(fake_ui::Messages()[0].rfind(messages::kRestoreFailed, 0), 0u) << fake_ui::Messages()[0];
    EXPECT_NE(fake_ui::Messages()[0].find("1.sav"), AppText::npos) << fake_ui::Messages()[0];
    EXPECT_TRUE(AutoBackups().empty());
    ExpectNoWorkLeft();
}

TEST_F(LockedFileTest, DeleteFailsAndKeepsTheBackupListedAndWholeWhileAFileIsHeldOpen) {
    const Tree files = {{"a.sav", "a"}, {"sub/", ""}, {"sub/b.sav", "b"}};
    WriteTree(Backup("in use"), files);
    WriteTree(Backup("other"), {{"c.sav", "c"}});
    ListAndHighlight("in use");
    HeldFile held(Backup("in use") / "sub/b.sav", Signals());
    ASSERT_TRUE(held.Held());

    operations::DeleteSelectedBackup();

    held.Release();
    EXPECT_EQ(test_support::TreeOf(Backup("in use")), files);
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    EXPECT_EQ(fake_ui::Messages()[0].rfind(messages::kDeleteFailed, 0), 0u) << fake_ui::Messages()[0];
    EXPECT_EQ(fake_ui::Items(), (std::vector<AppText>{"in use", "other"}));
    EXPECT_FALSE(fs::exists(WorkFolder()));
}

} // namespace
} // namespace commands_test

#endif
