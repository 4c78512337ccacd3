// hold_file <path>: opens an existing file with no sharing at all, as a running game holds its save,
// prints "held" on stdout and keeps the file open until its stdin closes (or the process is ended).
// Another process is what it takes: Windows checks share modes against other handles, and one program
// holding its own file would only test itself.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hold_file <path>\n");
        return 2;
    }
    HANDLE file =
        ::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", ::GetLastError());
        std::fflush(stdout);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    ::CloseHandle(file);
    return 0;
}
