#include "app/video_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

extern char** environ;

namespace {

// How long a wait on ffmpeg goes before the program looks whether it was asked to stop.
constexpr int kWaitSliceMilliseconds = 20;

pid_t processOf(std::intptr_t child) { return static_cast<pid_t>(child); }

}  // namespace

// An anonymous in-memory file: gone with the process however it ends.
struct VideoWriter::KeptMessages {
    explicit KeptMessages(int descriptor) : fd(descriptor) {}
    ~KeptMessages() { ::close(fd); }
    int fd;
};

VideoWriter::VideoWriter(Forced forced) : forced_(std::move(forced)) {}

VideoWriter::~VideoWriter() { abandon(); }

std::string VideoWriter::start(const std::vector<std::string>& command) {
    const int kept = memfd_create("ffmpeg-messages", MFD_CLOEXEC);
    if (kept < 0) return std::string("cannot keep ffmpeg's messages: ") + std::strerror(errno);
    messages_ = std::make_unique<KeptMessages>(kept);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    // Our end only: a wait for room in the pipe must be one we can cut short.
    fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, messages_->fd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    // We ignore SIGPIPE (a dying ffmpeg shows as a failed write); ffmpeg need not.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (result != 0) {
        ::close(fds[1]);
        std::string error = std::string("cannot start ffmpeg: ") + std::strerror(result);
        // Only videos need it, so a package may leave it out: say what to install.
        if (result == ENOENT) error += " (--video needs the ffmpeg program; install the package ffmpeg)";
        return error;
    }
    child_ = pid;
    fd_ = fds[1];
    return {};
}

std::string VideoWriter::write(const std::vector<unsigned char>& frame) {
    size_t done = 0;
    while (fd_ >= 0 && done < frame.size()) {
        const ssize_t n = ::write(fd_, frame.data() + done, frame.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd room{fd_, POLLOUT, 0};
            poll(&room, 1, kWaitSliceMilliseconds);
            if (forced_()) {
                abandon();
                return "stopped while ffmpeg took no frames";
            }
        } else {
            return stoppedTakingFrames();
        }
    }
    return fd_ >= 0 ? "" : "ffmpeg is not running";
}

std::string VideoWriter::finish() {
    if (child_ <= 0) return "ffmpeg is not running";
    ::close(fd_);
    fd_ = -1;
    int status = 0;
    if (!waitForExit(status)) return "stopped while ffmpeg finished the video";
    return afterExit(WIFEXITED(status) && WEXITSTATUS(status) == 0, status);
}

void VideoWriter::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (child_ <= 0) return;
    kill(processOf(child_), SIGKILL);
    while (waitpid(processOf(child_), nullptr, 0) < 0 && errno == EINTR) {
    }
    child_ = 0;
}

// False when the wait was forced; ffmpeg is gone either way.
bool VideoWriter::waitForExit(int& status) {
    for (;;) {
        const pid_t done = waitpid(processOf(child_), &status, WNOHANG);
        if (done == processOf(child_) || (done < 0 && errno != EINTR)) {
            child_ = 0;
            return true;
        }
        if (forced_()) {
            abandon();
            return false;
        }
        const timespec slice{0, kWaitSliceMilliseconds * 1000L * 1000L};
        nanosleep(&slice, nullptr);
    }
}

std::string VideoWriter::howItEnded(int status) const {
    std::string how = "ffmpeg ended";
    if (WIFEXITED(status)) how = "ffmpeg exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        how = "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    const std::string said = lastMessage();
    return said.empty() ? how : how + ": " + said;
}

std::string VideoWriter::messagesTail() const {
    if (!messages_) return {};
    const off_t size = lseek(messages_->fd, 0, SEEK_END);
    const auto tailBytes = static_cast<off_t>(kMessagesTailBytes);
    char tail[kMessagesTailBytes];
    const ssize_t got = pread(messages_->fd, tail, sizeof tail, size > tailBytes ? size - tailBytes : 0);
    return std::string(tail, got > 0 ? static_cast<size_t>(got) : 0);
}
