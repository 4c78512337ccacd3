// A restore killed at many points along its way, by a real SIGKILL to a child process doing it, then
// repaired as the next start does. Linux only: it needs fork.
#if !defined(_WIN32)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "commands_fixture.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;

Tree ManyFiles(const std::string& content, int count) {
    Tree tree;
    for (int i = 0; i < count; ++i) tree["f" + std::to_string(i / 50) + "/" + std::to_string(i) + ".sav"] = content;
    for (int i = 0; i < count; i += 50) tree["f" + std::to_string(i / 50) + "/"] = "";
    return tree;
}

class KilledRestoreTest : public CommandsTest {
protected:
    void Prepare() {
        fs::remove_all(Backups());
        fs::remove_all(Live().parent_path());
        fs::create_directories(Live().parent_path());
        WriteTree(Live(), live_);
        WriteTree(Backup("chosen"), chosen_);
        fake_ui::Reset();
        ListAndHighlight("chosen");
    }

    // Runs the restore in a child and kills it once `delay` has passed; returns how long the child ran.
    std::chrono::microseconds RestoreKilledAfter(std::chrono::microseconds delay) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            operations::RestoreSelectedBackup();
            ::_exit(0);
        }
        EXPECT_GT(child, 0);
        int status = 0;
        for (;;) {
            const auto ran = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            if (::waitpid(child, &status, WNOHANG) == child) return ran;
            if (ran >= delay) break;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return delay;
    }

    const Tree live_ = ManyFiles(std::string(4000, 'L'), 300);
    const Tree chosen_ = ManyFiles(std::string(4000, 'B'), 300);
};

TEST_F(KilledRestoreTest, EveryCrashPointIsRepairedWithNeitherSaveLost) {
    Prepare();
    const auto whole = RestoreKilledAfter(std::chrono::seconds(5)); // runs to its end well before
    ASSERT_EQ(test_support::TreeOf(Live()), chosen_) << "an uninterrupted restore must complete";

    int killedBefore = 0, killedAfter = 0;
    constexpr int kPoints = 40;
    for (int point = 0; point <= kPoints; ++point) {
        SCOPED_TRACE("killed at " + std::to_string(point) + "/" + std::to_string(kPoints));
        Prepare();
        RestoreKilledAfter(whole * point / kPoints);

        operations::RecoverUnfinishedWork();

        std::vector<std::string> autos;
        for (const std::string& name : BackupNames())
            if (name != "chosen") autos.push_back(name);
        EXPECT_EQ(test_support::TreeOf(Backup("chosen")), chosen_);
        const Tree now = test_support::TreeOf(Live());
        if (now == live_) {
            ++killedBefore;
            EXPECT_TRUE(autos.empty());
        } else {
            ++killedAfter;
            EXPECT_EQ(now, chosen_) << "the live save is one whole save or the other";
            ASSERT_EQ(autos.size(), 1u);
            EXPECT_TRUE(IsStampedName(autos[0], messages::kAutoBackupNote)) << autos[0];
            EXPECT_EQ(test_support::TreeOf(Backup(autos[0])), live_) << "the replaced save is kept";
        }
        ExpectNoWorkLeft();
    }
    // Both outcomes must have been reached, or the kill points missed the restore altogether.
    EXPECT_GT(killedBefore, 0);
    EXPECT_GT(killedAfter, 0);
}

} // namespace
} // namespace commands_test

#endif
