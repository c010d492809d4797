// Clock quality of the music position over real playback, read once per ~10 ms frame as the
// demo's main loop reads it:
//  - backward steps between consecutive frames;
//  - frame-to-frame step error: how much each step of the position differs from the step of
//    the steady clock over the same frame (min, max, RMS);
//  - offset between the position and the sample the device is consuming at that moment,
//    taken from the device's own requests: each buffer is consumed evenly from the request
//    that took it until the next request.
// Prints figures; it is not a test.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/music_player.h"

namespace {

struct Request {
    int64_t timeNs;
    int64_t handedBefore;
    int64_t frames;
};

struct RequestLog {
    std::vector<Request> requests;
    size_t count = 0;  // written by the audio thread, read after playback stops
};

void record(void* user, int64_t nowNs, int64_t handedBefore, int64_t frames) {
    auto* log = static_cast<RequestLog*>(user);
    if (log->count < log->requests.size()) {
        log->requests[log->count++] = Request{nowNs, handedBefore, frames};
    }
}

struct Sample {
    int64_t timeNs;
    double position;  // seconds
};

struct Stats {
    double min = 1e300;
    double max = -1e300;
    double sumSquares = 0.0;
    double sum = 0.0;
    size_t n = 0;
    void add(double v) {
        min = std::min(min, v);
        max = std::max(max, v);
        sum += v;
        sumSquares += v * v;
        ++n;
    }
    double rms() const { return n ? std::sqrt(sumSquares / n) : 0.0; }
    double mean() const { return n ? sum / n : 0.0; }
};

// Seconds of music being consumed at timeNs, or NaN outside the logged requests.
double consumedAt(const std::vector<Request>& requests, size_t count, int64_t timeNs) {
    const auto end = requests.begin() + static_cast<long>(count);
    auto next = std::upper_bound(requests.begin(), end, timeNs,
                                 [](int64_t t, const Request& r) { return t < r.timeNs; });
    if (next == requests.begin() || next == end) {
        return std::nan("");
    }
    const Request& current = *(next - 1);
    const double share =
        static_cast<double>(timeNs - current.timeNs) / (next->timeNs - current.timeNs);
    return (current.handedBefore + share * current.frames) / MusicPlayer::kSampleRate;
}

// Whether the device went more than half a buffer past its due time for a request that
// falls in, or spans, [fromNs, toNs]: then the sound really stopped, and a step error over
// that frame is the device's, not the clock's.
bool deviceStalled(const RequestLog& log, int64_t fromNs, int64_t toNs) {
    const double bufferNs = 1e9 * MusicPlayer::kBufferFrames / MusicPlayer::kSampleRate;
    for (size_t k = 1; k < log.count; ++k) {
        const Request& previous = log.requests[k - 1];
        const Request& current = log.requests[k];
        const bool overlaps = current.timeNs >= fromNs && previous.timeNs <= toNs;
        if (overlaps && current.timeNs - previous.timeNs > 1.5 * bufferNs) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : DEMO_SOUNDTRACK;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    setenv("SDL_AUDIODRIVER",
           std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);

    RequestLog log;
    log.requests.resize(static_cast<size_t>(seconds * 200) + 1000);
    MusicPlayer player;
    player.setObserver(record, &log);
    std::string error;
    if (!player.startStream(file.c_str(), error)) {
        std::fprintf(stderr, "bench_clock: %s\n", error.c_str());
        return 1;
    }
    while (player.positionSeconds() == 0.0) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    std::vector<Sample> samples;
    const int64_t startNs = steadyNowNs();
    while (steadyNowNs() - startNs < static_cast<int64_t>(seconds * 1e9)) {
        const int64_t now = steadyNowNs();
        samples.push_back(Sample{now, player.positionSeconds()});
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    player.stop();

    int backward = 0;
    Stats step;
    Stats steadyStep;  // frames during which the device itself kept its pace
    Stats frame;
    Stats offset;
    for (size_t i = 1; i < samples.size(); ++i) {
        const double dt = (samples[i].timeNs - samples[i - 1].timeNs) * 1e-9;
        const double dp = samples[i].position - samples[i - 1].position;
        backward += dp < 0.0;
        step.add((dp - dt) * 1000.0);
        frame.add(dt * 1000.0);
        if (!deviceStalled(log, samples[i - 1].timeNs, samples[i].timeNs)) {
            steadyStep.add((dp - dt) * 1000.0);
        }
    }
    for (const Sample& s : samples) {
        const double consumed = consumedAt(log.requests, log.count, s.timeNs);
        if (!std::isnan(consumed)) {
            offset.add((s.position - consumed) * 1000.0);
        }
    }
    const double wall = (samples.back().timeNs - samples.front().timeNs) * 1e-9;
    const double played = samples.back().position - samples.front().position;
    Stats period;
    for (size_t i = 1; i < log.count; ++i) {
        period.add((log.requests[i].timeNs - log.requests[i - 1].timeNs) * 1e-6);
    }

    std::printf("driver %s, %zu reads over %.2f s (frame %.2f ms mean, %.2f..%.2f)\n",
                std::getenv("SDL_AUDIODRIVER"), samples.size(), wall, frame.mean(), frame.min,
                frame.max);
    std::printf("device requests: %zu of %d frames, every %.2f ms (min %.2f, max %.2f)\n",
                log.count, MusicPlayer::kBufferFrames, period.mean(), period.min, period.max);
    std::printf("device rate: %.1f frames/s (position %.4f s over %.4f s of steady clock)\n",
                played / wall * MusicPlayer::kSampleRate, played, wall);
    std::printf("backward steps: %d\n", backward);
    std::printf("step error (ms): min %+.3f max %+.3f RMS %.3f\n", step.min, step.max, step.rms());
    std::printf("  over the %zu frames without a device stall: min %+.3f max %+.3f RMS %.3f\n",
                steadyStep.n, steadyStep.min, steadyStep.max, steadyStep.rms());
    std::printf(
        "offset to the sample being consumed (ms): mean %+.3f min %+.3f max %+.3f RMS %.3f (%zu "
        "reads)\n",
        offset.mean(), offset.min, offset.max, offset.rms(), offset.n);
    return 0;
}
