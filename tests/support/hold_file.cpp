#include "support/hold_file.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace test_support {
namespace {

// hold_file.exe is built into the top of the build folder; the test programs sit somewhere below it.
std::filesystem::path FindHelper() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::error_code ec;
    for (std::filesystem::path dir = std::filesystem::path(self).parent_path(); !dir.empty(); dir = dir.parent_path()) {
        if (std::filesystem::exists(dir / L"hold_file.exe", ec)) return dir / L"hold_file.exe";
        if (dir == dir.parent_path()) break;
    }
    return {};
}

} // namespace

HeldFile::HeldFile(const std::filesystem::path& file) {
    const std::filesystem::path helper = FindHelper();
    if (helper.empty()) {
        ADD_FAILURE() << "hold_file.exe not found above the test program";
        return;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childIn = nullptr, parentIn = nullptr, parentOut = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &parentIn, &inherit, 0) || !::CreatePipe(&parentOut, &childOut, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return;
    }
    ::SetHandleInformation(parentIn, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(parentOut, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + helper.wstring() + L"\" \"" + file.wstring() + L"\"";
    const BOOL started = ::CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, &info);
    ::CloseHandle(childIn);
    ::CloseHandle(childOut);
    if (!started) {
        ::CloseHandle(parentIn);
        ::CloseHandle(parentOut);
        ADD_FAILURE() << "could not start hold_file: " << ::GetLastError();
        return;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    input_ = parentIn;

    std::string reply;
    char c = 0;
    DWORD read = 0;
    while (reply.size() < 64 && ::ReadFile(parentOut, &c, 1, &read, nullptr) && read == 1 && c != '\n')
        reply.push_back(c);
    ::CloseHandle(parentOut);
    held_ = reply.rfind("held", 0) == 0;
    if (!held_) ADD_FAILURE() << "hold_file did not hold " << file << ": " << reply;
}

void HeldFile::release() {
    if (input_) {
        ::CloseHandle(static_cast<HANDLE>(input_));
        input_ = nullptr;
    }
    if (process_) {
        if (::WaitForSingleObject(static_cast<HANDLE>(process_), 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(static_cast<HANDLE>(process_), 1);
        ::CloseHandle(static_cast<HANDLE>(process_));
        process_ = nullptr;
    }
    held_ = false;
}

HeldFile::~HeldFile() { release(); }

} // namespace test_support
