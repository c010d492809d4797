// invitation-capture: renders the show frame by frame against a simulated music clock, offscreen,
// into PNG files or one video file with the soundtrack, or nowhere (for benchmarks).
// `invitation-capture --help` lists the options.
//
// Frame N is drawn at music time N / RATE (RATE 60 unless given; a ratio such as 60000/1001
// is allowed). The script runs every frame from 0 s, since the show's state depends on every
// earlier frame; only frames whose time lies in [from, to] are written, every K-th of them.
// The others run with rasterising off: the script and the effects advance exactly as when
// drawn, but no pixel is touched, which is most of a frame's cost on a software renderer, so
// seeking to the end of the show takes seconds. Rendering stops when the script posts its
// quit, the time passes --to, or SIGINT / SIGTERM / SIGHUP arrives. Same arguments, same pictures:
// nothing here reads a real clock (except the progress report).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_options.h"
#include "app/simulated_show.h"
#include "app/startup.h"
#include "platform/drawing_surface.h"
#include "platform/stop_signals.h"
#include "texture/png_writer.h"

extern char** environ;

namespace {

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

Show show;

// Pipes raw frames into ffmpeg, which muxes them with the soundtrack. ffmpeg runs in a process
// group of its own, so a Ctrl-C at the terminal reaches only us: the video is then finished by
// closing ffmpeg's input, not cut off by ffmpeg's own reaction to the signal.
class VideoWriter {
public:
    ~VideoWriter() { close(); }

    bool start(const std::vector<std::string>& command, std::string* error) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            *error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
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
        const int result = posix_spawnp(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[0]);
        if (result != 0) {
            ::close(fds[1]);
            *error = std::string("cannot start ffmpeg: ") + std::strerror(result);
            // Only videos need it, so a package may leave it out: say what to install.
            if (result == ENOENT) *error += " (--video needs the ffmpeg program; install the package ffmpeg)";
            return false;
        }
        fd_ = fds[1];
        return true;
    }

    bool write(const std::vector<unsigned char>& rgb) {
        size_t done = 0;
        while (fd_ >= 0 && done < rgb.size()) {
            const ssize_t n = ::write(fd_, rgb.data() + done, rgb.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return fd_ >= 0;
    }

    // Ends ffmpeg's input and waits for it to finish the file. True when it exited with 0.
    bool close() {
        if (pid_ <= 0) return true;
        ::close(fd_);
        fd_ = -1;
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t pid_ = 0;
    int fd_ = -1;
};

// The progress report on stderr: a bar redrawn in place on a terminal, a plain line every few
// seconds into a log. Written and skipped frames differ in cost by an order of magnitude, so
// the time left is estimated from each kind's own average.
class Progress {
public:
    Progress(const CaptureOptions& options, long lastFrame) : lastFrame_(lastFrame), terminal_(isatty(STDERR_FILENO)) {
        for (long frame = 0; frame <= lastFrame; ++frame)
            if (options.writes(frame)) ++toWrite_;
    }

    void frameDone(long frame, bool written) {
        const Clock::time_point now = Clock::now();
        (written ? writtenSeconds_ : skippedSeconds_) += std::chrono::duration<double>(now - frameStart_).count();
        (written ? written_ : skipped_) += 1;
        frameStart_ = now;
        if (now - lastReport_ < (terminal_ ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000))) return;
        lastReport_ = now;
        report(frame);
    }

    // The last line: replaces the bar on a terminal.
    void finish(const char* line) const {
        std::fprintf(stderr, "%sinvitation-capture: %s\n", terminal_ ? "\r\033[K" : "", line);
    }

    long written() const { return written_; }
    long rendered() const { return written_ + skipped_; }
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

private:
    using Clock = std::chrono::steady_clock;

    void report(long frame) const {
        const double elapsed = seconds();
        const double fps = elapsed > 0.0 ? rendered() / elapsed : 0.0;
        const long writeLeft = toWrite_ - written_;
        const long skipLeft = (lastFrame_ - frame) - writeLeft;
        const double perWritten = written_ > 0 ? writtenSeconds_ / written_ : skipped_ > 0 ? skippedSeconds_ / skipped_ : 0.0;
        const double perSkipped = skipped_ > 0 ? skippedSeconds_ / skipped_ : perWritten;
        const double left = writeLeft * perWritten + (skipLeft > 0 ? skipLeft * perSkipped : 0.0);
        if (!terminal_) {
            std::fprintf(stderr, "invitation-capture: frame %ld/%ld, %.1f fps, %.0f s left\n", frame + 1, lastFrame_ + 1,
                         fps, left);
            return;
        }
        constexpr int kBarWidth = 30;
        const int filled = static_cast<int>(kBarWidth * (frame + 1) / (lastFrame_ + 1));
        char bar[kBarWidth + 1];
        for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
        bar[kBarWidth] = '\0';
        std::fprintf(stderr, "\r[%s] frame %ld/%ld  %.1f fps  %.0f s left\033[K", bar, frame + 1, lastFrame_ + 1, fps,
                     left);
    }

    const long lastFrame_;
    const bool terminal_;
    long toWrite_ = 0;
    long written_ = 0;
    long skipped_ = 0;
    double writtenSeconds_ = 0.0;
    double skippedSeconds_ = 0.0;
    const Clock::time_point start_ = Clock::now();
    Clock::time_point frameStart_ = start_;
    Clock::time_point lastReport_ = start_;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "invitation-capture: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const ProgramInfo& program = captureProgram();
    const int helped = handleHelpAndVersion(program, argc, argv);
    if (helped >= 0) return helped;
    CaptureOptions options;
    std::string error = parseCaptureOptions(argc, argv, options);
    if (error.empty()) error = prepareCaptureTarget(options);
    if (!error.empty()) return usageError(program, error);

    // Ours from the start; a hidden context leaves them alone (see platform/gl_context.h).
    // A second signal ends a capture that seems stuck (ffmpeg still finishes the file when our
    // end of the pipe closes).
    stopsignals::install(stopsignals::SecondSignal::Ends);
    const std::unique_ptr<GlContext> context = openShowContext(kWindowWidth, kWindowHeight, &error);
    if (!context) return fail(error);
    // Before start-up: the capture targets are made at the frame's block size.
    show.frame = options.showFrame();
    error = loadShow(show);
    if (!error.empty()) return fail(error);
    // At the window's size the frames are drawn straight into it, exactly as designed; other
    // sizes need a framebuffer of their own.
    DrawingSurface surface;
    if (!surface.fit(show.frame, kWindowWidth, kWindowHeight, &error)) return fail(error);

    std::unique_ptr<VideoWriter> video;
    if (options.output == CaptureOutput::Video) {
        // A failing ffmpeg is reported by the failed write, not by a silent SIGPIPE death.
        std::signal(SIGPIPE, SIG_IGN);
        video = std::make_unique<VideoWriter>();
        if (!video->start(videoCommand(options), &error)) return fail(error);
    }

    const PixelRect box = options.showRect();
    const bool bars = box.width != options.width || box.height != options.height;
    std::vector<unsigned char> padded;
    if (bars) padded.assign(static_cast<size_t>(options.width) * options.height * 3, 0);

    SimulatedShow simulated(show, surface, options.rateNumerator, options.rateDenominator);
    const long lastFrame = options.lastFrame();
    Progress progress(options, lastFrame);
    auto failMidway = [&](const std::string& message) {
        progress.finish(message.c_str());
        return 1;
    };
    long frame = 0;
    for (; frame <= lastFrame && !stopsignals::caught(); ++frame) {
        const bool written = options.writes(frame);
        simulated.runFrame(frame, written);
        if (written) {
            std::vector<unsigned char> rgb = surface.readRgb();
            if (bars) placeShowInFrame(rgb, box, options.width, options.height, padded);
            const std::vector<unsigned char>& pixels = bars ? padded : rgb;
            if (video && !video->write(pixels)) return failMidway("ffmpeg stopped taking frames");
            if (options.output == CaptureOutput::Png) {
                error = writePng(options.framePath(frame), options.width, options.height, pixels);
                if (!error.empty()) return failMidway(error);
            }
        }
        progress.frameDone(frame, written);
        if (simulated.ended()) break;
    }

    const bool videoFinished = !video || video->close();
    const char* written = options.output == CaptureOutput::Null ? "drawn" : "written";
    char line[160];
    if (const int signal = stopsignals::caught()) {
        std::snprintf(line, sizeof line, "stopped by %s at frame %ld (%.3f s); %ld frames %s", stopsignals::name(signal),
                      frame, options.frameTime(frame), progress.written(), written);
    } else {
        const double seconds = progress.seconds();
        std::snprintf(line, sizeof line, "%ld frames rendered, %ld %s, in %.1f s (%.1f fps)", progress.rendered(),
                      progress.written(), written, seconds, seconds > 0.0 ? progress.rendered() / seconds : 0.0);
    }
    progress.finish(line);
    if (!videoFinished) fail("ffmpeg failed to write " + options.target);
    releaseShow(show);
    if (const int signal = stopsignals::caught()) return stopsignals::exitCodeFor(signal);
    return videoFinished ? 0 : 1;
}
