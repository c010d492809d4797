// invitation-capture: renders the show frame by frame against a simulated music clock, offscreen,
// into PNG files or one video file with the soundtrack, or nowhere (for benchmarks).
// `invitation-capture --help` lists the options.
//
// Frame N is drawn at music time N / RATE (RATE 60 unless given; a ratio such as 60000/1001
// is allowed). The script runs every frame from 0 s, since the show's state depends on every
// earlier frame; only frames whose time lies in [from, to] are written, every K-th of them.
// The others run with their GL calls going nowhere (app/fast_forward.h): the script and the
// effects advance exactly as when drawn, at the cost of the script's own work alone, so seeking
// to the end of the show takes a fraction of a second. Rendering stops when the script posts its
// quit, the time passes --to, or SIGINT / SIGTERM / SIGHUP arrives. Same arguments, same pictures:
// nothing here reads a real clock (except the progress report).
//
// Files are written whole in a staging folder inside the target folder and renamed to their
// names (files::StagingFolder): a frame as soon as it is written, the video once ffmpeg has
// finished it. A symbolic link at one of those names is replaced, never written through, and
// a video that failed leaves nothing behind. However the capture ends, it ends through
// Capture::shutdown, which stops ffmpeg and removes the staging folder.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_options.h"
#include "app/command_line.h"
#include "app/simulated_show.h"
#include "app/startup.h"
#include "app/video_writer.h"
#include "audio/mp3_stream.h"
#include "audio/music_player.h"
#include "gl/drawing_surface.h"
#include "files/frame_files.h"
#include "platform/stop_signals.h"
#include "files/whole_file.h"
#include "gl/frame_size.h"
#include "texture/png_writer.h"

namespace {

// The hidden window is the show's own size; larger frames are drawn into the drawing surface.
constexpr int kWindowWidth = FrameSize::kDesignWidth;
constexpr int kWindowHeight = FrameSize::kDesignHeight;
// The first stop signal ends the capture after the frame at hand, keeping what was written and
// finishing the video. A second one forces the stop: whatever the capture waits on (ffmpeg
// taking a frame, or finishing the file) is given up, so a capture that seems stuck still ends,
// through the same shutdown.
class Stops {
public:
    // The first stop signal, 0 while none has come.
    int first() {
        if (first_ == 0) first_ = stopsignals::take();
        return first_;
    }
    bool forced() { return first() != 0 && stopsignals::caught() != 0; }

private:
    int first_ = 0;
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
        const std::string bar = textBar(static_cast<double>(frame + 1) / static_cast<double>(lastFrame_ + 1));
        std::fprintf(stderr, "\r[%s] frame %ld/%ld  %.1f fps  %.0f s left\033[K", bar.c_str(), frame + 1,
                     lastFrame_ + 1, fps, left);
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

// A soundtrack that cannot be decoded would fail the video only once its frames have been
// rendered; the show's own decoder says at once.
std::string checkSoundtrack(const std::string& path) {
    std::vector<unsigned char> bytes;
    std::string error = files::readWholeFile(path, MusicPlayer::kMaxMusicBytes, bytes);
    if (error.empty() && Mp3Stream::open(std::move(bytes), MusicPlayer::kSampleRate, error) != nullptr) return {};
    return "--video: the soundtrack " + path + " cannot be used: " + error;
}

// What a capture holds that must be given back however it ends: ffmpeg, the staged files, the
// loaded show and its GL context.
class Capture {
public:
    explicit Capture(const CaptureOptions& options)
        : options_(options), box_(options.showRect()),
          bars_(box_.width != options.width || box_.height != options.height) {}
    ~Capture() { shutdown(); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Renders and writes the frames; the exit code.
    int run() {
        try {
            const std::string error = start();
            return error.empty() ? render() : fail(error);
        } catch (const std::exception& exception) {
            return fail(std::string("stopped by an error: ") + exception.what());
        }
    }

    // The one way out: safe to call more than once.
    void shutdown() {
        video_.reset();
        if (showLoaded_) releaseShow(show_);
        showLoaded_ = false;
        surface_.reset();
        context_.reset();
        staging_.remove();
    }

private:
    std::string start();
    std::string startVideo();
    int render();
    std::string writeFrame(long frame);
    std::string writePngFrame(long frame, const std::vector<unsigned char>& pixels);
    std::string videoAsGiven(std::string text) const;
    int end(const Progress& progress, long frame);

    const CaptureOptions options_;
    const PixelRect box_;
    const bool bars_;
    std::vector<unsigned char> padded_;
    Stops stops_;
    files::StagingFolder staging_;
    std::unique_ptr<GlContext> context_;
    Show show_;
    bool showLoaded_ = false;
    std::unique_ptr<DrawingSurface> surface_;
    std::unique_ptr<VideoWriter> video_;
};

std::string Capture::start() {
    std::string error;
    if (options_.output == CaptureOutput::Video && !(error = checkSoundtrack(options_.music)).empty()) return error;
    if (options_.output != CaptureOutput::Null) {
        error = staging_.make(options_.outputFolder(), captureProgram().name);
        if (!error.empty()) return "cannot write in " + options_.outputFolder() + ": " + error;
    }
    context_ = openShowContext(kWindowWidth, kWindowHeight, &error);
    if (!context_) return error;
    // Before start-up: the capture targets are made at the frame's block size.
    show_.frame = options_.showFrame();
    showLoaded_ = true;
    error = loadShow(show_);
    if (!error.empty()) return error;
    // At the window's size the frames are drawn straight into it, exactly as designed; other
    // sizes need a framebuffer of their own.
    surface_ = std::make_unique<DrawingSurface>();
    if (!surface_->fit(show_.frame, kWindowWidth, kWindowHeight, &error)) return error;
    if (bars_) padded_.assign(static_cast<size_t>(options_.width) * options_.height * 3, 0);
    return options_.output == CaptureOutput::Video ? startVideo() : "";
}

std::string Capture::startVideo() {
    // A failing ffmpeg is reported by the failed write, not by a silent SIGPIPE death.
    stopsignals::ignoreBrokenPipes();
    video_ = std::make_unique<VideoWriter>([this] { return stops_.forced(); });
    return video_->start(videoCommand(options_, staging_.stagedPath(options_.videoName())));
}

int Capture::render() {
    SimulatedShow simulated(show_, *surface_, options_.rateNumerator, options_.rateDenominator);
    const long lastFrame = options_.lastFrame();
    Progress progress(options_, lastFrame);
    long frame = 0;
    for (; frame <= lastFrame && !stops_.first(); ++frame) {
        const bool written = options_.writes(frame);
        long ahead = 0;
        while (ahead <= kSettlingFrames && !options_.writes(frame + ahead)) ++ahead;
        simulated.runFrame(frame, frameUseAhead(ahead));
        if (written) {
            const std::string error = writeFrame(frame);
            if (!error.empty()) {
                if (stops_.forced()) break;  // the write was given up, not failed
                progress.finish(error.c_str());
                return 1;
            }
        }
        progress.frameDone(frame, written);
        if (simulated.ended()) break;
    }
    return end(progress, frame);
}

std::string Capture::writeFrame(long frame) {
    std::vector<unsigned char> rgb = surface_->readRgb();
    if (bars_) placeShowInFrame(rgb, box_, options_.width, options_.height, padded_);
    const std::vector<unsigned char>& pixels = bars_ ? padded_ : rgb;
    if (video_) {
        const std::string error = video_->write(pixels);
        return error.empty() ? "" : "at frame " + std::to_string(frame) + ": " + videoAsGiven(error);
    }
    return options_.output == CaptureOutput::Png ? writePngFrame(frame, pixels) : "";
}

std::string Capture::writePngFrame(long frame, const std::vector<unsigned char>& pixels) {
    const std::string name = files::frameFileName(frame);
    const std::string staged = staging_.stagedPath(name);
    std::string error = writePng(staged, options_.width, options_.height, pixels);
    // Named as the user knows it, not by its staged name.
    if (error.rfind(staged, 0) == 0) error.replace(0, staged.size(), options_.framePath(frame));
    if (!error.empty()) return error;
    error = staging_.place(name);
    return error.empty() ? "" : options_.framePath(frame) + ": cannot put it in place: " + error;
}

// ffmpeg names the file it was given, the staged one; the user knows only the target.
std::string Capture::videoAsGiven(std::string text) const {
    const std::string staged = "file:" + staging_.stagedPath(options_.videoName());
    for (size_t at = text.find(staged); at != std::string::npos; at = text.find(staged, at + options_.target.size()))
        text.replace(at, staged.size(), options_.target);
    return text;
}

int Capture::end(const Progress& progress, long frame) {
    std::string videoError;
    bool placed = false;
    if (video_ && !stops_.forced()) {
        videoError = video_->finish();
        if (videoError.empty()) videoError = staging_.place(options_.videoName());
        placed = videoError.empty();
    }
    const bool givenUp = video_ && !placed && stops_.forced();
    const char* written = options_.output == CaptureOutput::Null ? "drawn" : "written";
    char line[200];
    if (const int signal = stops_.first()) {
        std::snprintf(line, sizeof line, "stopped by %s at frame %ld (%.3f s); %ld frames %s%s",
                      stopsignals::name(signal), frame, options_.frameTime(frame), progress.written(), written,
                      givenUp ? ", the video given up on a second signal" : "");
    } else {
        const double seconds = progress.seconds();
        std::snprintf(line, sizeof line, "%ld frames rendered, %ld %s, in %.1f s (%.1f fps)", progress.rendered(),
                      progress.written(), written, seconds, seconds > 0.0 ? progress.rendered() / seconds : 0.0);
    }
    progress.finish(line);
    if (!videoError.empty() && !givenUp) fail("cannot finish " + options_.target + ": " + videoAsGiven(videoError));
    if (const int signal = stops_.first()) return stopsignals::exitCodeFor(signal);
    return videoError.empty() ? 0 : 1;
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
    // Every signal is recorded, the second too: Stops decides what it means.
    stopsignals::install(stopsignals::SecondSignal::Recorded);
    Capture capture(options);
    const int code = capture.run();
    capture.shutdown();
    return code;
}
