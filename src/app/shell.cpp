#include "app/shell.h"

#include <cstdio>
#include <cstdlib>

#include "app/state.h"
#include "app/ui.h"

namespace app {
namespace {

bool g_shutDown = false;

void ShutDownAtExit() { ShutDown(); }

// Releases one field now rather than whenever the static record itself is destroyed.
template <typename T> void Release(T& value) { T().swap(value); }

} // namespace

void StartUp() {
    SharedState& state = State();
    state.BackupPaths.clear();
    std::atexit(ShutDownAtExit);
}

void ShutDown() {
    if (g_shutDown) return;
    g_shutDown = true;
    SharedState& state = State();
    Release(state.SaveDirectory);
    Release(state.BackupRoot);
    Release(state.RememberedSelection);
    Release(state.BackupPaths);
    Release(state.RunDirectory);
}

void FailOutOfMemory(std::size_t bytes) noexcept {
    // Formatted into a fixed buffer: the heap is what just failed.
    static char text[160];
    std::snprintf(text, sizeof text, "内存不足：无法分配 %zu 字节，程序将退出。", bytes);
    ui::ShowFatalError(text);
    ShutDown();
    std::_Exit(-1);
}

} // namespace app
