// How long "创建备份" takes for a 200 MB save folder of 2,000 files, the whole command (folder checks,
// the note answered by the scripted UI, the copy into the work folder, the rename into `save`, the
// refresh), next to `cp -r` of the same folder, in the same run and on the same disk. Run as root it
// repeats both on a loop-mounted XFS with reflink. The ratio of the two is printed at the end.
//
//   build/<dir>/bench/bench_create [--benchmark_filter=...]
//
// Both sides start with the source in the page cache and with no dirty pages of an earlier round; the
// backups are removed between iterations, outside the timed part.

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/state.h"
#include "operations/commands.h"
#include "operations/folder_tree.h"
#include "operations/messages.h"
#include "support/fake_ui.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileSize = 100 * 1024; // 2,000 x 100 KiB = 200 MiB
constexpr int kFolders = 20;

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Random bytes, so no file system can compress or deduplicate them.
void MakeSaveFolder(const fs::path& root) {
    std::mt19937_64 engine(7);
    std::vector<unsigned long long> block(kFileSize / sizeof(unsigned long long));
    for (int i = 0; i < kFiles; ++i) {
        const fs::path folder = root / ("slot " + std::to_string(i % kFolders));
        fs::create_directories(folder);
        for (auto& word : block) word = engine();
        std::FILE* out = std::fopen((folder / ("save_" + std::to_string(i) + ".dat")).c_str(), "wb");
        if (!out || std::fwrite(block.data(), 1, kFileSize, out) != kFileSize) std::abort();
        std::fclose(out);
    }
    ::sync();
}

void WarmCache(const fs::path& root) {
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY);
        while (fd >= 0 && ::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        if (fd >= 0) ::close(fd);
    }
}

// A program folder with its `save` folder, and the game's save folder, side by side.
struct Place {
    fs::path base;
    fs::path save() const { return base / "game"; }
    fs::path run() const { return base / "run"; }
    fs::path backups() const { return run() / "save"; }
    fs::path cpTarget() const { return base / "cp-copy"; }
};

// Seconds spent in the timed parts, per benchmark name, for the closing ratio.
std::map<std::string, std::pair<double, long>>& Timings() {
    static std::map<std::string, std::pair<double, long>> timings;
    return timings;
}

void Settle(const Place& place) {
    for (const auto& entry : fs::directory_iterator(place.backups()))
        operations::RemoveFolderTree(app::FromPath(entry.path()));
    operations::RemoveFolderTree(app::FromPath(place.cpTarget()));
    ::sync(); // the previous round's writes are not left for this round to pay for
}

template <typename Step> void Timed(benchmark::State& state, const std::string& name, const Place& place, Step step) {
    for (auto _ : state) {
        state.PauseTiming();
        Settle(place);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!step()) state.SkipWithError((name + " failed").c_str());
        Timings()[name].first += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Timings()[name].second += 1;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileSize);
    Settle(place);
}

void Register(const std::string& where, const Place& place) {
    const std::string create = "CreateBackup/" + where;
    benchmark::RegisterBenchmark(create.c_str(),
                                 [place, create](benchmark::State& s) {
                                     Timed(s, create, place, [&] {
                                         app::SharedState& shared = app::State();
                                         shared.RunDirectory = app::FromPath(place.run());
                                         shared.BackupRoot = shared.RunDirectory + "/save/";
                                         shared.SaveDirectory = app::FromPath(place.save());
                                         fake_ui::Reset();
                                         fake_ui::QueueAnswer(true, "bench");
                                         operations::CreateBackup();
                                         return fake_ui::Messages() ==
                                                std::vector<AppText>{operations::messages::kDone};
                                     });
                                 })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5)
        ->Repetitions(3);
    const std::string cp = "CpR/" + where;
    const std::string command = "cp -r '" + place.save().string() + "' '" + place.cpTarget().string() + "'";
    benchmark::RegisterBenchmark(cp.c_str(),
                                 [place, cp, command](benchmark::State& s) {
                                     Timed(s, cp, place, [&] { return std::system(command.c_str()) == 0; });
                                 })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5)
        ->Repetitions(3);
}

bool Prepare(const Place& place) {
    fs::create_directories(place.backups());
    MakeSaveFolder(place.save());
    WarmCache(place.save());
    return true;
}

void PrintRatio(const std::string& where) {
    const auto& timings = Timings();
    const auto create = timings.find("CreateBackup/" + where);
    const auto cp = timings.find("CpR/" + where);
    if (create == timings.end() || cp == timings.end() || !create->second.second || !cp->second.second) return;
    const double createMs = 1000 * create->second.first / create->second.second;
    const double cpMs = 1000 * cp->second.first / cp->second.second;
    std::printf("%-12s CreateBackup %8.1f ms   cp -r %8.1f ms   ratio %.2f\n", where.c_str(), createMs, cpMs,
                createMs / cpMs);
}

} // namespace

int main(int argc, char** argv) {
    // Both sides' repetitions shuffled together, so a disk that slows down during the run weighs on both
    // alike. An explicit flag on the command line still wins.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    const fs::path work = fs::temp_directory_path() / ("sm-bench-create-" + std::to_string(::getpid()));
    const Place disk{work / "disk"};
    Prepare(disk);
    Register("disk", disk);

    const fs::path image = work / "xfs.img";
    const Place xfs{work / "xfs"};
    bool mounted = false;
    if (::geteuid() == 0) {
        fs::create_directories(xfs.base);
        mounted = Shell("truncate -s 1G '" + image.string() + "' && mkfs.xfs -q -m reflink=1 '" + image.string() +
                        "' && mount -o loop '" + image.string() + "' '" + xfs.base.string() + "'") == 0;
        if (mounted && Prepare(xfs)) Register("xfs-reflink", xfs);
    }
    if (!mounted) std::fprintf(stderr, "not root or no mkfs.xfs: the XFS reflink comparison is left out\n");

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nMean per backup over all repetitions:\n");
    PrintRatio("disk");
    if (mounted) PrintRatio("xfs-reflink");

    if (mounted) Shell("umount '" + xfs.base.string() + "'");
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
