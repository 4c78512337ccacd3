#pragma once
// Windows only: a file held open without sharing by another process (the hold_file helper program),
// for tests of what happens when the game still has its save open.

#include <filesystem>

namespace test_support {

class HeldFile {
public:
    // Starts hold_file on `file` and waits until it holds it; held() tells whether that worked.
    explicit HeldFile(const std::filesystem::path& file);
    // Lets go of the file and waits for the helper to end.
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return held_; }
    void release();

private:
    void* process_ = nullptr;
    void* input_ = nullptr; // our end of the helper's stdin: closing it releases the file
    bool held_ = false;
};

} // namespace test_support
