// Listing and refreshing a `save` folder of many backups, named the way the program names them. The
// listing itself (FindSubfolders, with a pending-events call per entry as the window gets) has to stay
// under 50 ms for 10,000 backups; the refresh adds the list rebuild through the scripted fake UI.
// The sizes show whether the cost grows linearly.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/state.h"
#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// "MM月DD日 hh：mm：ss note", one backup every 47 minutes from 1 January on (10,000 of them reach into
// December), each holding one file.
AppText BackupName(int i) {
    const int t = i * 47, day = t / (24 * 60), hour = t / 60 % 24, minute = t % 60;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d月%02d日 %02d：%02d：%02d", day / 28 + 1, day % 28 + 1, hour, minute,
                  i % 7);
    return AppText(stamp) + (i % 3 == 0 ? " 无备注" : " boss 前");
}

// One `save` folder per size, made once and kept for every benchmark of the run.
const test_support::TempFolder& SaveFolder(int count) {
    static std::map<int, std::unique_ptr<test_support::TempFolder>> folders;
    auto& folder = folders[count];
    if (!folder) {
        folder = std::make_unique<test_support::TempFolder>();
        for (int i = 0; i < count; ++i) {
            const fs::path backup = *folder / BackupName(i);
            fs::create_directory(backup);
            test_support::WriteFile(backup / "save.dat", "x");
        }
    }
    return *folder;
}

void BM_FindSubfolders(benchmark::State& bench) {
    const int count = static_cast<int>(bench.range(0));
    const AppText root = SaveFolder(count).text() + app::kPathSeparator;
    fake_ui::Reset();
    int events = 0;
    fake_ui::OnPendingEvents([&] { ++events; });
    for (auto _ : bench) benchmark::DoNotOptimize(catalogue::FindSubfolders(root));
    if (catalogue::FindSubfolders(root).size() != static_cast<std::size_t>(count)) bench.SkipWithError("count");
    bench.SetComplexityN(count);
    fake_ui::Reset();
}

// `remembered` 0: nothing remembered (start-up); 1: the last backup (the whole list is searched).
void BM_RefreshBackupList(benchmark::State& bench) {
    const int count = static_cast<int>(bench.range(0));
    fake_ui::Reset();
    app::State() = {};
    app::State().BackupRoot = SaveFolder(count).text() + app::kPathSeparator;
    if (bench.range(1) == 1) {
        catalogue::RefreshBackupList();
        app::State().RememberedSelection = fake_ui::Items().back();
    }
    for (auto _ : bench) catalogue::RefreshBackupList();
    if (fake_ui::Items().size() != static_cast<std::size_t>(count)) bench.SkipWithError("count");
    bench.SetComplexityN(count);
    fake_ui::Reset();
    app::State() = {};
}

} // namespace

BENCHMARK(BM_FindSubfolders)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_RefreshBackupList)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->ArgNames({"backups", "remembered"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
