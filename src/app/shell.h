#pragma once
// Start-up and shutdown of the process, shared by both front ends.

#include <cstddef>

namespace app {

// Creates the shared state and arranges for ShutDown to run when the process ends.
void StartUp();

// Releases the shared state field by field. Runs once; later calls do nothing.
void ShutDown();

// Out of memory: the error box, shutdown, exit code -1.
[[noreturn]] void FailOutOfMemory(std::size_t bytes) noexcept;

} // namespace app
