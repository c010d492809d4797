#include "tools/make_soundtrack_synth.h"

#include <algorithm>
#include <cmath>

namespace soundtrack {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kTwoPi = 6.28318530717958647692f;

long frameAt(double t) { return static_cast<long>(std::lround(t * kRate)); }

double midiHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// xorshift32 seeded by the note's start frame and a voice number.
class Noise {
public:
    Noise(long frame, uint32_t voice)
        : state_(static_cast<uint32_t>(frame) * 2654435761u ^ (voice * 40503u + 0x9e3779b9u)) {
        if (state_ == 0) {
            state_ = 1;
        }
    }
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_) * (2.0f / 4294967295.0f) - 1.0f;
    }

private:
    uint32_t state_;
};

// Zero-delay-feedback state-variable filter; one instance per voice and channel.
class Svf {
public:
    void tune(float cutoffHz, float resonance) {
        const float limited = std::clamp(cutoffHz, 20.0f, 0.45f * kRate);
        g_ = static_cast<float>(std::tan(kPi * limited / kRate));
        k_ = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
    }
    void run(float x) {
        const float hp = (x - (k_ + g_) * s1_ - s2_) / (1.0f + g_ * (k_ + g_));
        const float bp = g_ * hp + s1_;
        const float lp = g_ * bp + s2_;
        s1_ = g_ * hp + bp;
        s2_ = g_ * bp + lp;
        low = lp;
        band = bp;
        high = hp;
    }
    float low = 0.0f;
    float band = 0.0f;
    float high = 0.0f;

private:
    float g_ = 0.1f;
    float k_ = 1.4f;
    float s1_ = 0.0f;
    float s2_ = 0.0f;
};

// Band-limited sawtooth (polyBLEP), phase in [0, 1).
class Saw {
public:
    explicit Saw(double hz, float startPhase = 0.0f)
        : step_(static_cast<float>(hz / kRate)), phase_(startPhase) {}
    float next() {
        float value = 2.0f * phase_ - 1.0f - blep(phase_);
        phase_ += step_;
        if (phase_ >= 1.0f) {
            phase_ -= 1.0f;
        }
        return value;
    }

private:
    float blep(float t) const {
        if (t < step_) {
            t /= step_;
            return t + t - t * t - 1.0f;
        }
        if (t > 1.0f - step_) {
            t = (t - 1.0f) / step_;
            return t * t + t + t + 1.0f;
        }
        return 0.0f;
    }
    float step_;
    float phase_;
};

// Attack, then hold until `release` seconds before the end, then an exponential-ish fade.
float envelope(double age, double duration, double attack, double release) {
    if (age < 0.0 || age > duration) {
        return 0.0f;
    }
    float level = 1.0f;
    if (age < attack) {
        level = static_cast<float>(age / attack);
    }
    const double left = duration - age;
    if (left < release) {
        const float x = static_cast<float>(left / release);
        level *= x * x;
    }
    return level;
}

}  // namespace

static void impactLayers(StereoBus& bus, const std::vector<int>& chord, float gain);

StereoBus::StereoBus(double seconds)
    : left(static_cast<size_t>(std::ceil(seconds * kRate)), 0.0f), right(left.size(), 0.0f) {}

void StereoBus::add(long frame, float value, float pan) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * static_cast<float>(kPi);
    addStereo(frame, value * std::cos(angle), value * std::sin(angle));
}

void StereoBus::addStereo(long frame, float l, float r) {
    if (frame < 0 || static_cast<size_t>(frame) >= left.size()) {
        return;
    }
    left[static_cast<size_t>(frame)] += l;
    right[static_cast<size_t>(frame)] += r;
}

void StereoBus::mixInto(StereoBus& target, float gain) const {
    const size_t n = std::min(frames(), target.frames());
    for (size_t i = 0; i < n; ++i) {
        target.left[i] += gain * left[i];
        target.right[i] += gain * right[i];
    }
}

void kick(StereoBus& bus, double t, float gain) {
    const long start = frameAt(t);
    const long length = frameAt(0.55);
    Noise noise(start, 1);
    float phase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float age = static_cast<float>(i) / kRate;
        const float hz = 46.0f + 120.0f * std::exp(-age / 0.035f);
        phase += kTwoPi * hz / kRate;
        const float body = std::sin(phase) * std::exp(-age / 0.22f) * std::min(1.0f, age / 0.002f);
        const float click = 0.35f * noise.next() * std::exp(-age / 0.004f);
        bus.add(start + i, gain * std::tanh(1.6f * body + click), 0.0f);
    }
}

// A drum on filtered noise: the voice's own noise runs through a band filter tuned to `hz`,
// and `shape(age, filter)` makes each sample from the filter's outputs.
template <typename Shape>
void noiseHit(StereoBus& bus, double t, double seconds, int seed, float hz, float q, float pan,
              Shape shape) {
    const long start = frameAt(t);
    const long length = frameAt(seconds);
    Noise noise(start, seed);
    Svf filter;
    filter.tune(hz, q);
    for (long i = 0; i < length; ++i) {
        const float age = static_cast<float>(i) / kRate;
        filter.run(noise.next());
        bus.add(start + i, shape(age, filter), pan);
    }
}

void snare(StereoBus& bus, double t, float gain, float pan) {
    noiseHit(bus, t, 0.35, 2, 2500.0f, 0.2f, pan, [gain](float age, const Svf& filter) {
        const float tone = 0.5f * std::sin(kTwoPi * 185.0f * age) * std::exp(-age / 0.05f);
        const float rattle = (filter.band + 0.4f * filter.high) * std::exp(-age / 0.12f);
        return gain * (tone + rattle);
    });
}

void clap(StereoBus& bus, double t, float gain) {
    noiseHit(bus, t, 0.3, 3, 1300.0f, 0.45f, 0.0f, [gain](float age, const Svf& filter) {
        // Three quick slaps and a tail, as several hands never clap at once.
        float level = std::exp(-age / 0.09f);
        for (float slap : {0.0f, 0.011f, 0.022f}) {
            if (age >= slap) {
                level += 1.4f * std::exp(-(age - slap) / 0.006f);
            }
        }
        return gain * filter.band * level;
    });
}

void hat(StereoBus& bus, double t, float gain, float decaySeconds, float pan) {
    noiseHit(bus, t, decaySeconds * 6.0f, 4, 7500.0f, 0.3f, pan,
             [gain, decaySeconds](float age, const Svf& filter) {
                 return gain * filter.high * std::exp(-age / decaySeconds);
             });
}

void crash(StereoBus& bus, double t, float gain, float decaySeconds) {
    const long start = frameAt(t);
    const long length = frameAt(decaySeconds * 5.0f);
    Noise noiseL(start, 5);
    Noise noiseR(start, 6);
    Svf filterL;
    Svf filterR;
    filterL.tune(4200.0f, 0.25f);
    filterR.tune(4600.0f, 0.25f);
    for (long i = 0; i < length; ++i) {
        const float age = static_cast<float>(i) / kRate;
        const float level = gain * std::exp(-age / decaySeconds) * std::min(1.0f, age / 0.001f);
        filterL.run(noiseL.next());
        filterR.run(noiseR.next());
        bus.addStereo(start + i, level * filterL.high, level * filterR.high);
    }
}

void thump(StereoBus& bus, double t, float gain) {
    const long start = frameAt(t);
    const long length = frameAt(0.7);
    float phase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float age = static_cast<float>(i) / kRate;
        phase += kTwoPi * (52.0f + 18.0f * std::exp(-age / 0.05f)) / kRate;
        const float level = std::min(1.0f, age / 0.012f) * std::exp(-age / 0.16f);
        bus.add(start + i, gain * level * std::sin(phase), 0.0f);
    }
}

void riser(StereoBus& bus, double t0, double t1, float gain) {
    const long start = frameAt(t0);
    const long length = frameAt(t1) - start;
    Noise noiseL(start, 7);
    Noise noiseR(start, 8);
    Svf filterL;
    Svf filterR;
    for (long i = 0; i < length; ++i) {
        const float x = static_cast<float>(i) / static_cast<float>(length);
        const float cutoff = 300.0f * std::pow(30.0f, x);
        filterL.tune(cutoff, 0.6f);
        filterR.tune(cutoff * 1.07f, 0.6f);
        filterL.run(noiseL.next());
        filterR.run(noiseR.next());
        const float level = gain * x * x;
        bus.addStereo(start + i, level * filterL.band, level * filterR.band);
    }
}

void bassNote(StereoBus& bus, double t, double duration, int midi, float gain, float cutoffHz) {
    const long start = frameAt(t);
    const long length = frameAt(duration);
    const double hz = midiHz(midi);
    Saw saw(hz);
    Svf filter;
    float subPhase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const double age = static_cast<double>(i) / kRate;
        const float pluckEnv = std::exp(-static_cast<float>(age) / 0.09f);
        filter.tune(cutoffHz * (1.0f + 3.0f * pluckEnv), 0.35f);
        filter.run(saw.next());
        subPhase += kTwoPi * static_cast<float>(hz) / kRate;
        const float level = envelope(age, duration, 0.004, std::min(0.05, duration * 0.3));
        bus.add(start + i, gain * level * (0.55f * filter.low + 0.6f * std::sin(subPhase)), 0.0f);
    }
}

void padChord(StereoBus& bus, double t, double duration, const std::vector<int>& midi, float gain,
              float cutoffHz) {
    const long start = frameAt(t);
    const long length = frameAt(duration);
    constexpr float kDetuneCents[3] = {-9.0f, 0.0f, 8.0f};
    const float voiceGain = gain / (3.0f * static_cast<float>(std::max<size_t>(1, midi.size())));
    for (size_t n = 0; n < midi.size(); ++n) {
        for (int side = 0; side < 2; ++side) {
            std::vector<Saw> voices;
            for (int v = 0; v < 3; ++v) {
                const float cents = kDetuneCents[v] * (side == 0 ? 1.0f : -0.8f);
                voices.emplace_back(midiHz(midi[n] + cents / 100.0),
                                    0.31f * static_cast<float>(v + side + n));
            }
            Svf filter;
            filter.tune(cutoffHz, 0.15f);
            for (long i = 0; i < length; ++i) {
                const double age = static_cast<double>(i) / kRate;
                float sum = 0.0f;
                for (Saw& voice : voices) {
                    sum += voice.next();
                }
                filter.run(sum);
                const float value = voiceGain * envelope(age, duration, 0.35, 0.6) * filter.low;
                bus.addStereo(start + i, side == 0 ? value : 0.0f, side == 0 ? 0.0f : value);
            }
        }
    }
}

void pluck(StereoBus& bus, double t, int midi, float gain, float pan, float cutoffHz) {
    const long start = frameAt(t);
    const long length = frameAt(0.45);
    Saw a(midiHz(midi + 0.06));
    Saw b(midiHz(midi - 0.06), 0.5f);
    Svf filter;
    for (long i = 0; i < length; ++i) {
        const float age = static_cast<float>(i) / kRate;
        const float env = std::exp(-age / 0.11f);
        filter.tune(cutoffHz * (0.3f + env), 0.4f);
        filter.run(0.5f * (a.next() + b.next()));
        bus.add(start + i, gain * env * std::min(1.0f, age / 0.002f) * filter.low, pan);
    }
}

void leadNote(StereoBus& bus, double t, double duration, int midi, float gain) {
    const long start = frameAt(t);
    const long length = frameAt(duration);
    const double hz = midiHz(midi);
    float phase = 0.0f;
    Saw saw(hz * 1.003);
    Svf filter;
    filter.tune(2600.0f, 0.2f);
    for (long i = 0; i < length; ++i) {
        const double age = static_cast<double>(i) / kRate;
        // Vibrato fades in, as a singer's would.
        const float vibrato = 1.0f + 0.004f * std::min(1.0f, static_cast<float>(age) / 0.6f) *
                                         std::sin(kTwoPi * 5.2f * static_cast<float>(age));
        phase += kTwoPi * static_cast<float>(hz) * vibrato / kRate;
        if (phase > kTwoPi) {
            phase -= kTwoPi;
        }
        filter.run(saw.next());
        const float tone = 0.6f * std::sin(phase) + 0.4f * filter.low;
        bus.add(start + i, gain * envelope(age, duration, 0.03, 0.25) * tone, 0.15f);
    }
}

void tom(StereoBus& bus, double t, float hz, float gain, float pan) {
    const long start = frameAt(t);
    float phase = 0.0f;
    for (long i = 0; i < frameAt(0.5); ++i) {
        const float age = static_cast<float>(i) / kRate;
        phase += kTwoPi * hz * (1.0f + 0.5f * std::exp(-age / 0.03f)) / kRate;
        const float level = std::min(1.0f, age / 0.002f) * std::exp(-age / 0.14f);
        bus.add(start + i, gain * level * std::sin(phase), pan);
    }
}

void impact(StereoBus& bus, double t, const std::vector<int>& chord, float gain,
            double lengthSeconds) {
    // Rendered on its own, then cut and added, so every layer ends together.
    // The fade ends a little early, leaving a short dip the next hit rises from.
    const double length = std::clamp(lengthSeconds, 0.05, 1.5);
    StereoBus hit(length);
    impactLayers(hit, chord, gain);
    const long start = frameAt(t);
    const long end = frameAt(length - std::min(0.015, 0.1 * length));
    const long fade = frameAt(std::min(0.08, 0.35 * length));
    for (long i = 0; i < end; ++i) {
        const float tail = std::min(1.0f, static_cast<float>(end - i) / static_cast<float>(fade));
        bus.addStereo(start + i, tail * hit.left[static_cast<size_t>(i)],
                      tail * hit.right[static_cast<size_t>(i)]);
    }
}

static void impactLayers(StereoBus& bus, const std::vector<int>& chord, float gain) {
    const double t = 0.0;
    const long start = 0;
    // Boom: a sine falling from 80 to 36 Hz under a long decay.
    float phase = 0.0f;
    for (long i = 0; i < frameAt(1.2); ++i) {
        const float age = static_cast<float>(i) / kRate;
        phase += kTwoPi * (36.0f + 44.0f * std::exp(-age / 0.08f)) / kRate;
        const float level = std::min(1.0f, age / 0.002f) * std::exp(-age / 0.45f);
        bus.add(start + i, gain * 0.9f * std::tanh(2.0f * level * std::sin(phase)), 0.0f);
    }
    kick(bus, t, gain * 0.6f);
    snare(bus, t, gain * 0.4f);
    crash(bus, t, gain * 0.3f, 0.16f);
    // Stab: the chord an octave up, bright saws closing quickly.
    for (size_t n = 0; n < chord.size(); ++n) {
        Saw a(midiHz(chord[n] + 12 + 0.08));
        Saw b(midiHz(chord[n] + 12 - 0.08), 0.4f);
        Svf filter;
        const float pan = chord.size() > 1 ? -0.6f + 1.2f * static_cast<float>(n) /
                                                         static_cast<float>(chord.size() - 1)
                                           : 0.0f;
        for (long i = 0; i < frameAt(0.7); ++i) {
            const float age = static_cast<float>(i) / kRate;
            const float env = std::exp(-age / 0.16f);
            filter.tune(1200.0f + 7000.0f * env, 0.3f);
            filter.run(0.5f * (a.next() + b.next()));
            bus.add(start + i, gain * 0.35f * env * std::min(1.0f, age / 0.003f) * filter.low, pan);
        }
    }
}

void reverb(const StereoBus& send, StereoBus& out, float wet) {
    // Schroeder: parallel damped combs into series all-passes, lengths differing per side
    // so the tail is wide.
    constexpr int kCombs[4] = {1116, 1277, 1422, 1557};
    constexpr int kAllpasses[2] = {556, 341};
    constexpr int kSpread = 23;
    const size_t n = std::min(send.frames(), out.frames());
    for (int side = 0; side < 2; ++side) {
        const std::vector<float>& in = side == 0 ? send.left : send.right;
        std::vector<float>& target = side == 0 ? out.left : out.right;
        std::vector<std::vector<float>> combs;
        std::vector<float> damp(4, 0.0f);
        for (int length : kCombs) {
            combs.emplace_back(static_cast<size_t>(length + side * kSpread), 0.0f);
        }
        std::vector<std::vector<float>> allpasses;
        for (int length : kAllpasses) {
            allpasses.emplace_back(static_cast<size_t>(length + side * kSpread), 0.0f);
        }
        for (size_t i = 0; i < n; ++i) {
            float sum = 0.0f;
            for (size_t c = 0; c < combs.size(); ++c) {
                std::vector<float>& line = combs[c];
                float& slot = line[i % line.size()];
                const float delayed = slot;
                damp[c] = 0.75f * delayed + 0.25f * damp[c];
                slot = 0.015f * in[i] + 0.84f * damp[c];
                sum += delayed;
            }
            for (std::vector<float>& line : allpasses) {
                float& slot = line[i % line.size()];
                const float delayed = slot;
                slot = sum + 0.5f * delayed;
                sum = delayed - 0.5f * sum;
            }
            target[i] += wet * sum;
        }
    }
}

void echo(const StereoBus& send, StereoBus& out, double delaySeconds, float feedback, float wet) {
    // Ping-pong: each repeat crosses to the other side.
    const size_t delay = static_cast<size_t>(delaySeconds * kRate);
    const size_t n = std::min(send.frames(), out.frames());
    std::vector<float> lineL(delay, 0.0f);
    std::vector<float> lineR(delay, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const size_t k = i % delay;
        const float fromL = lineL[k];
        const float fromR = lineR[k];
        lineL[k] = 0.5f * (send.left[i] + send.right[i]) + feedback * fromR;
        lineR[k] = feedback * fromL;
        out.left[i] += wet * fromL;
        out.right[i] += wet * fromR;
    }
}

void duck(StereoBus& bus, const std::vector<double>& kickTimes, float depth,
          double releaseSeconds) {
    for (double t : kickTimes) {
        const long start = frameAt(t);
        const long length = frameAt(releaseSeconds * 4.0);
        for (long i = 0; i < length; ++i) {
            const long frame = start + i;
            if (frame < 0 || static_cast<size_t>(frame) >= bus.frames()) {
                break;
            }
            const float age = static_cast<float>(i) / kRate;
            const float gain = 1.0f - depth * std::exp(-age / static_cast<float>(releaseSeconds));
            bus.left[static_cast<size_t>(frame)] *= gain;
            bus.right[static_cast<size_t>(frame)] *= gain;
        }
    }
}

std::vector<int16_t> master(const StereoBus& mix, float peak) {
    float loudest = 1e-9f;
    for (size_t i = 0; i < mix.frames(); ++i) {
        loudest = std::max({loudest, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    }
    // Drive peaks slightly into the soft limiter so the hits stay loud without clipping.
    const float drive = 1.3f / loudest;
    const float norm = peak / std::tanh(1.3f);
    std::vector<int16_t> pcm(mix.frames() * 2);
    for (size_t i = 0; i < mix.frames(); ++i) {
        const float l = norm * std::tanh(drive * mix.left[i]);
        const float r = norm * std::tanh(drive * mix.right[i]);
        pcm[2 * i] = static_cast<int16_t>(std::lround(std::clamp(l, -1.0f, 1.0f) * 32767.0f));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(r, -1.0f, 1.0f) * 32767.0f));
    }
    return pcm;
}

}  // namespace soundtrack
