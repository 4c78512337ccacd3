// How long a backup's copy of a 200 MB save folder of 2,000 files takes next to `cp -r` of the same
// folder, in the same run and on the same disk. Run as root it repeats both on a loop-mounted XFS with
// reflink, where the copy should share blocks instead of writing them.
//
//   build/<dir>/bench/bench_copy [--benchmark_filter=...]
//
// The page cache cannot be dropped here, so both sides start warm: every source file is read once
// before timing. The destination is removed between iterations, outside the timed part.

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "operations/folder_tree.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileSize = 100 * 1024; // 2,000 x 100 KiB = 200 MiB
constexpr int kFolders = 20;                  // a save folder has some structure, not one flat list

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Fills `root` with the save folder: random bytes, so no file system can compress or deduplicate them.
void MakeSaveFolder(const fs::path& root) {
    std::mt19937_64 engine(42);
    std::vector<unsigned long long> block(kFileSize / sizeof(unsigned long long));
    for (int i = 0; i < kFiles; ++i) {
        const fs::path folder = root / ("slot " + std::to_string(i % kFolders));
        fs::create_directories(folder);
        for (auto& word : block) word = engine();
        const fs::path file = folder / ("save_" + std::to_string(i) + ".dat");
        std::FILE* out = std::fopen(file.c_str(), "wb");
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

// One place to copy from and to: a folder on the temp disk, or a mounted XFS image.
struct Place {
    fs::path base;
    fs::path source() const { return base / "save"; }
    fs::path destination() const { return base / "backup"; }
};

void Settle(const Place& place) {
    operations::RemoveFolderTree(app::FromPath(place.destination()));
    ::sync(); // the previous round's writes are not left for this round to pay for
}

void CopyFolderTreeOf(benchmark::State& state, const Place& place) {
    for (auto _ : state) {
        state.PauseTiming();
        Settle(place);
        state.ResumeTiming();
        const auto outcome =
            operations::CopyFolderTree(app::FromPath(place.source()), app::FromPath(place.destination()));
        if (!outcome.ok) state.SkipWithError((outcome.failedPath + ": " + outcome.error).c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileSize);
    Settle(place);
}

void CpROf(benchmark::State& state, const Place& place) {
    const std::string command = "cp -r '" + place.source().string() + "' '" + place.destination().string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        Settle(place);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp -r failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileSize);
    Settle(place);
}

void Register(const std::string& where, const Place& place) {
    benchmark::RegisterBenchmark(("CopyFolderTree/" + where).c_str(),
                                 [place](benchmark::State& s) { CopyFolderTreeOf(s, place); })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5)
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("CpR/" + where).c_str(), [place](benchmark::State& s) { CpROf(s, place); })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5)
        ->Repetitions(3);
}

} // namespace

int main(int argc, char** argv) {
    // Both sides' repetitions are shuffled together, so a disk that slows down during the run (writeback,
    // a neighbour's load) weighs on both alike. An explicit flag on the command line still wins.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    const fs::path work = fs::temp_directory_path() / ("sm-bench-copy-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const Place disk{work / "disk"};
    MakeSaveFolder(disk.source());
    WarmCache(disk.source());
    Register("disk", disk);

    // An XFS image with reflink, when this run may mount one.
    const fs::path image = work / "xfs.img";
    const Place xfs{work / "xfs"};
    bool mounted = false;
    if (::geteuid() == 0) {
        fs::create_directories(xfs.base);
        mounted = Shell("truncate -s 1G '" + image.string() + "' && mkfs.xfs -q -m reflink=1 '" + image.string() +
                        "' && mount -o loop '" + image.string() + "' '" + xfs.base.string() + "'") == 0;
        if (mounted) {
            MakeSaveFolder(xfs.source());
            WarmCache(xfs.source());
            Register("xfs-reflink", xfs);
        }
    }
    if (!mounted) std::fprintf(stderr, "not root or no mkfs.xfs: the XFS reflink comparison is left out\n");

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (mounted) Shell("umount '" + xfs.base.string() + "'");
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
