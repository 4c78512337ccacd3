// Linked into the programs only (not the core library, which the sanitizer build tests): every failed
// allocation in the process ends in the fatal error box with the size that was asked for.

#include <cstdlib>
#include <new>

#include "app/shell.h"

namespace {

void* AllocateOrFail(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (void* p = std::malloc(bytes)) return p;
    app::FailOutOfMemory(bytes);
}

void* AllocateAlignedOrFail(std::size_t bytes, std::align_val_t align) {
    if (bytes == 0) bytes = 1;
    const auto alignment = static_cast<std::size_t>(align);
#if defined(_WIN32)
    if (void* p = _aligned_malloc(bytes, alignment)) return p;
#else
    void* p = nullptr;
    if (posix_memalign(&p, alignment < sizeof(void*) ? sizeof(void*) : alignment, bytes) == 0) return p;
#endif
    app::FailOutOfMemory(bytes);
}

void FreeAligned(void* p) noexcept {
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}

} // namespace

void* operator new(std::size_t bytes) { return AllocateOrFail(bytes); }
void* operator new[](std::size_t bytes) { return AllocateOrFail(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return AllocateOrFail(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return AllocateOrFail(bytes); }
void* operator new(std::size_t bytes, std::align_val_t align) { return AllocateAlignedOrFail(bytes, align); }
void* operator new[](std::size_t bytes, std::align_val_t align) { return AllocateAlignedOrFail(bytes, align); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
