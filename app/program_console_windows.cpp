#include "app/program_console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "files/wide_text_windows.h"

namespace programconsole {
namespace {

// The read end of the pipe standard error was pointed at when nobody would see it; null
// while the messages reach a console or a file.
HANDLE kept = nullptr;

bool usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void reopen(const char* device) {
    std::freopen(device, "w", stdout);
    std::freopen(device, "w", stderr);
}

// Standard error into a pipe whose read end stays here: a few kilobytes of messages fit in its
// buffer, and a program that says more than that on its way to failing is not held up by it.
void keepMessages() {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    if (!CreatePipe(&reader, &writer, nullptr, 1 << 16)) return;
    DWORD mode = PIPE_NOWAIT;
    SetNamedPipeHandleState(writer, &mode, nullptr, nullptr);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_WRONLY | _O_BINARY);
    if (fd < 0 || _dup2(fd, 2) != 0) return;
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    kept = reader;
}

std::string keptText() {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(kept, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        if (!ReadFile(kept, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        text.append(buffer, got);
    }
    return text;
}

}  // namespace

// A redirection made by the starter (a file, a pipe) is already in place and wins; then the
// starter's console; else the messages are kept for a box.
void attach() {
    if (usable(STD_ERROR_HANDLE)) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        reopen("CONOUT$");
        return;
    }
    keepMessages();
}

int finish(const char* program, int exitCode) {
    if (!kept || exitCode == 0) return exitCode;
    const std::string text = keptText();
    if (!text.empty())
        MessageBoxW(nullptr, files::widen(text).c_str(), files::widen(program).c_str(), MB_OK | MB_ICONERROR);
    return exitCode;
}

}  // namespace programconsole
