#include "app/video_writer.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "files/wide_text_windows.h"

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

}  // namespace

// A pipe that a thread of ours empties as ffmpeg writes, keeping the end: Windows has no file
// that lives in memory alone, and a pipe nobody reads would stall ffmpeg once it is full.
struct VideoWriter::KeptMessages {
    explicit KeptMessages(HANDLE ours) : pipe(ours), reader([this] { keep(); }) {}
    ~KeptMessages() { finished(); }

    // The reader ends when every writer has closed the pipe: ffmpeg has exited, or never ran.
    void finished() {
        if (reader.joinable()) reader.join();
        if (pipe) CloseHandle(pipe);
        pipe = nullptr;
    }

    std::string tail() {
        const std::lock_guard<std::mutex> hold(lock);
        return text;
    }

private:
    void keep() {
        char buffer[1024];
        DWORD got = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            const std::lock_guard<std::mutex> hold(lock);
            text.append(buffer, got);
            if (text.size() > kMessagesTailBytes) text.erase(0, text.size() - kMessagesTailBytes);
        }
    }

    HANDLE pipe;
    std::mutex lock;
    std::string text;
    std::thread reader;  // last: it starts once the rest is there
};

VideoWriter::VideoWriter(Forced forced) : forced_(std::move(forced)) {}

VideoWriter::~VideoWriter() { abandon(); }

std::string VideoWriter::start(const std::vector<std::string>& command) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE said = nullptr;
    HANDLE log = nullptr;
    if (!CreatePipe(&said, &log, &inherited, 0))
        return "cannot keep ffmpeg's messages: " + files::systemMessage(GetLastError());
    SetHandleInformation(said, HANDLE_FLAG_INHERIT, 0);
    messages_ = std::make_unique<KeptMessages>(said);
    HANDLE input = nullptr;
    HANDLE ours = nullptr;
    if (!CreatePipe(&input, &ours, &inherited, 1 << 20)) {
        const DWORD error = GetLastError();
        CloseHandle(log);
        return "cannot make a pipe to ffmpeg: " + files::systemMessage(error);
    }
    SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
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
    CloseHandle(log);  // ffmpeg holds its own copy: the pipe ends when ffmpeg does
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
        if (!WriteFile(pipe, frame.data() + done, chunk, &wrote, nullptr)) return stoppedTakingFrames();
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
    return afterExit(status == 0, status);
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

std::string VideoWriter::messagesTail() const {
    if (!messages_) return {};
    // Once ffmpeg is gone, all it wrote is read before the end is looked at.
    if (child_ == 0) messages_->finished();
    return messages_->tail();
}
