// A restore killed at many points along its way, by a real SIGKILL to a child process doing it, then
// repaired as the next start does: at moments spread over the whole run, and (on x86-64, where the
// child can be stepped from one system call to the next) just before each of its renames. Linux only.
#if !defined(_WIN32)

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
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

    // Runs the restore in a child and kills it once `delay` has passed; true when it finished first.
    bool RestoreKilledAfter(std::chrono::microseconds delay) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            operations::RestoreSelectedBackup();
            ::_exit(0);
        }
        EXPECT_GT(child, 0);
        int status = 0;
        while (std::chrono::steady_clock::now() - start < delay) {
            if (::waitpid(child, &status, WNOHANG) == child) return true;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return WIFEXITED(status);
    }

    // Runs the restore in a traced child and kills it as it enters its `nth` rename; true when it
    // finished with fewer renames than that.
    bool RestoreKilledAtRename(int nth) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
            ::raise(SIGSTOP);
            operations::RestoreSelectedBackup();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
        bool entering = false;
        int renames = 0;
        int signal = 0;
        for (;;) {
            ::ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
            signal = 0;
            if (::waitpid(child, &status, 0) != child || WIFEXITED(status) || WIFSIGNALED(status)) return true;
            if (!WIFSTOPPED(status)) continue;
            if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
                signal = WSTOPSIG(status);
                continue;
            }
            entering = !entering;
            if (!entering) continue;
            user_regs_struct regs{};
            ::ptrace(PTRACE_GETREGS, child, nullptr, &regs);
            const long call = static_cast<long>(regs.orig_rax);
            if ((call == SYS_rename || call == SYS_renameat || call == SYS_renameat2) && ++renames == nth) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                return false;
            }
        }
    }

    // What the next start must make of any crash: one whole save or the other at the live folder, and
    // the replaced one kept as the automatic backup. Returns whether the restore took effect.
    bool ExpectRepaired() {
        operations::RecoverUnfinishedWork();
        std::vector<std::string> autos;
        for (const std::string& name : BackupNames())
            if (name != "chosen") autos.push_back(name);
        EXPECT_EQ(test_support::TreeOf(Backup("chosen")), chosen_);
        ExpectNoWorkLeft();
        const Tree now = test_support::TreeOf(Live());
        if (now == live_) {
            EXPECT_TRUE(autos.empty());
            return false;
        }
        EXPECT_EQ(now, chosen_) << "the live save is one whole save or the other";
        EXPECT_EQ(autos.size(), 1u);
        if (autos.size() == 1) {
            EXPECT_TRUE(IsStampedName(autos[0], messages::kAutoBackupNote)) << autos[0];
            EXPECT_EQ(test_support::TreeOf(Backup(autos[0])), live_) << "the replaced save is kept";
        }
        return true;
    }

    const Tree live_ = ManyFiles(std::string(4000, 'L'), 100);
    const Tree chosen_ = ManyFiles(std::string(4000, 'B'), 100);
};

// The kill comes later and later, until a restore outlives it: however fast or slow this machine is,
// the kill points then cover the copy, both renames and the filing of the replaced save.
TEST_F(KilledRestoreTest, EveryCrashPointIsRepairedWithNeitherSaveLost) {
    Prepare();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RestoreKilledAfter(std::chrono::seconds(60)));
    const auto step =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 16;
    ASSERT_EQ(test_support::TreeOf(Live()), chosen_) << "an uninterrupted restore must complete";

    int killedBefore = 0;
    for (int point = 0;; ++point) {
        ASSERT_LT(point, 1000) << "the restore never finished";
        SCOPED_TRACE("killed after " + std::to_string((step * point).count()) + " µs");
        Prepare();
        const bool finished = RestoreKilledAfter(step * point);

        if (!ExpectRepaired()) ++killedBefore;
        if (finished) break;
    }
    EXPECT_GT(killedBefore, 0) << "no kill landed before the swap";
}

#if defined(__x86_64__)
TEST_F(KilledRestoreTest, KilledJustBeforeEachRenameIsRepairedWithNeitherSaveLost) {
    int took = 0;
    for (int nth = 1;; ++nth) {
        ASSERT_LT(nth, 50) << "the restore never finished";
        SCOPED_TRACE("killed entering rename " + std::to_string(nth));
        Prepare();
        const bool finished = RestoreKilledAtRename(nth);
        took += ExpectRepaired() ? 1 : 0;
        if (finished) break;
        // Killed before any rename: the copy was all there was, and the live save must be untouched.
        if (nth == 1) {
            EXPECT_EQ(took, 0);
        }
    }
    // Killed after setting the live folder aside and after the swap both complete the restore, and so
    // does the run that outlived every kill: rename aside, swap in, file the replaced save.
    EXPECT_EQ(took, 3);
}
#endif

} // namespace
} // namespace commands_test

#endif
