// Instruments and effects for the soundtrack tool: each call renders one note or hit into
// a stereo float bus, so the score is a list of calls and the result is the same on every
// run (noise comes from a generator seeded by the note's start).
//
// Units: times and durations in seconds from the start of the piece, pitches as MIDI note
// numbers (69 = A 440 Hz), gains linear (1.0 is about full scale for one hit), pan -1 (left)
// to +1 (right). Buses own their samples; instruments only add into them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace soundtrack {

constexpr int kRate = 44100;

struct StereoBus {
    explicit StereoBus(double seconds);
    size_t frames() const { return left.size(); }
    // Adds one sample at `frame`, placed by equal-power panning; frames outside are dropped.
    void add(long frame, float value, float pan);
    void addStereo(long frame, float l, float r);
    void mixInto(StereoBus& target, float gain) const;

    std::vector<float> left;
    std::vector<float> right;
};

// Drums.
void kick(StereoBus& bus, double t, float gain);
void snare(StereoBus& bus, double t, float gain, float pan = 0.0f);
void clap(StereoBus& bus, double t, float gain);
void hat(StereoBus& bus, double t, float gain, float decaySeconds, float pan);
void crash(StereoBus& bus, double t, float gain, float decaySeconds = 0.55f);
// A soft low heartbeat for the quiet opening.
void thump(StereoBus& bus, double t, float gain);
// Filtered noise rising in pitch and level from t0, ending at t1.
void riser(StereoBus& bus, double t0, double t1, float gain);

// Tonal voices.
void bassNote(StereoBus& bus, double t, double duration, int midi, float gain, float cutoffHz);
void padChord(StereoBus& bus, double t, double duration, const std::vector<int>& midi, float gain,
              float cutoffHz);
void pluck(StereoBus& bus, double t, int midi, float gain, float pan, float cutoffHz);
void leadNote(StereoBus& bus, double t, double duration, int midi, float gain);
// The beat hit: a deep boom, a bright chord stab and a wide noise burst together, cut off
// (with a short fade) after `lengthSeconds` so that a hit close behind stands out.
void impact(StereoBus& bus, double t, const std::vector<int>& chord, float gain,
            double lengthSeconds = 1.5);
// A pitched drum, for quick runs of hits.
void tom(StereoBus& bus, double t, float hz, float gain, float pan);

// Effects over whole buses.
void reverb(const StereoBus& send, StereoBus& out, float wet);
void echo(const StereoBus& send, StereoBus& out, double delaySeconds, float feedback, float wet);
// Ducks `bus` after each kick time, the pumping of dance music.
void duck(StereoBus& bus, const std::vector<double>& kickTimes, float depth, double releaseSeconds);

// Soft-limits the mix and scales it to `peak`, as interleaved 16-bit stereo.
std::vector<int16_t> master(const StereoBus& mix, float peak);

}  // namespace soundtrack
