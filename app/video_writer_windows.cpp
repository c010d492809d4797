#include "app/video_writer.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/wide_text_windows.h"

namespace {

constexpr DWORD kWaitSliceMilliseconds = 20;

HANDLE processOf(std::intptr_t child) { return reinterpret_cast<HANDLE>(child); }

// One argument as the C runtime's command-line parser reads it back: quoted when it holds a
// space, a tab or a quote, with the backslashes before a quote doubled.
std::wstring quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) return word;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring commandLine(const std::vector<std::string>& command) {
    std::wstring line;
    for (const std::string& word : command) line += (line.empty() ? L"" : L" ") + quoted(files::widen(word));
    return line;
}

HANDLE createLog(const std::string& path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(files::widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string VideoWriter::start(const std::vector<std::string>& command, const std::string& logPath) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE input = nullptr;
    HANDLE ours = nullptr;
    if (!CreatePipe(&input, &ours, &inherited, 1 << 20))
        return "cannot make a pipe to ffmpeg: " + files::systemMessage(GetLastError());
    SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
    HANDLE log = createLog(logPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = log;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine(command);
    // A process group of its own: Ctrl-C reaches only us, and the video is finished by closing
    // ffmpeg's input rather than cut off by ffmpeg's own reaction to it.
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    const DWORD error = GetLastError();
    CloseHandle(input);
    if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    if (!started) {
        CloseHandle(ours);
        std::string reason = "cannot start ffmpeg: " + files::systemMessage(error);
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            reason += " (--video needs ffmpeg.exe in a folder on the PATH)";
        return reason;
    }
    CloseHandle(process.hThread);
    child_ = reinterpret_cast<std::intptr_t>(process.hProcess);
    fd_ = _open_osfhandle(reinterpret_cast<std::intptr_t>(ours), _O_WRONLY | _O_BINARY);
    logPath_ = logPath;
    return {};
}

// Windows' pipes have no non-blocking writes for us to cut short: a write waits until ffmpeg
// takes the frame or ends.
std::string VideoWriter::write(const std::vector<unsigned char>& frame) {
    if (fd_ < 0) return "ffmpeg is not running";
    HANDLE pipe = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    size_t done = 0;
    while (done < frame.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(frame.size() - done, 1u << 30));
        if (!WriteFile(pipe, frame.data() + done, chunk, &wrote, nullptr)) {
            const std::string ended = finish();
            return "ffmpeg stopped taking frames: " + (ended.empty() ? "ffmpeg exited with status 0" : ended);
        }
        done += wrote;
    }
    return {};
}

std::string VideoWriter::finish() {
    if (child_ == 0) return "ffmpeg is not running";
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
    int status = 0;
    if (!waitForExit(status)) return "stopped while ffmpeg finished the video";
    return status == 0 ? "" : howItEnded(status);
}

void VideoWriter::abandon() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
    if (child_ == 0) return;
    TerminateProcess(processOf(child_), 1);
    WaitForSingleObject(processOf(child_), INFINITE);
    CloseHandle(processOf(child_));
    child_ = 0;
}

// False when the wait was forced; ffmpeg is gone either way.
bool VideoWriter::waitForExit(int& status) {
    while (WaitForSingleObject(processOf(child_), kWaitSliceMilliseconds) == WAIT_TIMEOUT) {
        if (forced_()) {
            abandon();
            return false;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(processOf(child_), &code);
    CloseHandle(processOf(child_));
    child_ = 0;
    status = static_cast<int>(code);
    return true;
}

std::string VideoWriter::howItEnded(int status) const {
    const std::string how = "ffmpeg exited with status " + std::to_string(static_cast<unsigned>(status));
    const std::string said = lastMessage();
    return said.empty() ? how : how + ": " + said;
}
