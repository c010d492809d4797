#include "tools/make_soundtrack_score.h"

#include <array>
#include <cmath>
#include <iterator>

#include "timeline/beat_times.h"
#include "tools/make_soundtrack_synth.h"

namespace soundtrack {
namespace {

// Sections of steady tempo, each a whole number of bars, so every change of the show
// falls on a downbeat. The tempi differ by a few percent (123 to 128 beats a minute).
struct Section {
    double start;
    double beat;  // seconds per beat
    int beats;
    double time(double beatIndex) const { return start + beat * beatIndex; }
    double end() const { return time(beats); }
};

constexpr double kPulseEnd = 15.6;
constexpr double kLift = 46.0;
constexpr double kDrop = 77.0;
constexpr double kFinale = 107.0;
constexpr double kFirstHit = ::beatTimes[0];

const Section kIntro{0.0, kPulseEnd / 32, 32};
const Section kBeat{kPulseEnd, (kLift - kPulseEnd) / 64, 64};
const Section kLiftSection{kLift, (kDrop - kLift) / 64, 64};
const Section kDropSection{kDrop, (kFinale - kDrop) / 64, 64};
const Section kFinaleSection{kFinale, (kFirstHit - kFinale) / 64, 64};

struct Chord {
    int root;                  // bass note
    std::vector<int> voicing;  // pad notes
};

const Chord kAm{45, {57, 60, 64}};
const Chord kF{41, {57, 60, 65}};
const Chord kC{48, {55, 60, 64}};
const Chord kG{43, {55, 59, 62}};
const Chord kEm{40, {55, 59, 64}};
const Chord kDm{38, {57, 62, 65}};

const std::array<const Chord*, 4> kVerse{&kAm, &kF, &kC, &kG};
const std::array<const Chord*, 4> kLiftChords{&kF, &kG, &kEm, &kAm};
const std::array<const Chord*, 4> kFinaleChords{&kF, &kC, &kG, &kAm};
const std::array<const Chord*, 8> kHitChords{&kAm, &kF, &kC, &kG, &kDm, &kF, &kG, &kAm};

struct Buses {
    Buses()
        : drums(kLengthSeconds),
          music(kLengthSeconds),
          pumped(kLengthSeconds),
          reverbSend(kLengthSeconds),
          echoSend(kLengthSeconds) {}
    StereoBus drums;
    StereoBus music;   // not ducked
    StereoBus pumped;  // ducked by the kick
    StereoBus reverbSend;
    StereoBus echoSend;
    std::vector<double> kicks;
};

// How a section is played: which parts run and how bright they are.
struct Style {
    const std::array<const Chord*, 4>* chords;
    double barsPerChord;
    float padGain;
    float padCutoff;
    float bassGain;
    float bassCutoff;
    float kickGain;  // 0: no kick
    bool clap;
    bool sixteenthHats;
    bool openHats;
    float arpGain;  // 0: no arpeggio
    bool lead;
};

void playBar(Buses& b, const Section& s, int bar, const Style& style) {
    const double barStart = s.time(bar * 4);
    const double beat = s.beat;
    const int chordIndex = static_cast<int>(bar / style.barsPerChord) % 4;
    const Chord& chord = *(*style.chords)[static_cast<size_t>(chordIndex)];
    const bool chordStarts = std::fmod(bar, style.barsPerChord) == 0.0;

    if (chordStarts) {
        const double length = beat * 4 * style.barsPerChord + 0.5;
        padChord(b.pumped, barStart, length, chord.voicing, style.padGain, style.padCutoff);
        padChord(b.reverbSend, barStart, length, chord.voicing, style.padGain * 0.6f,
                 style.padCutoff);
    }
    for (int step = 0; step < 8; ++step) {
        const double t = barStart + beat * 0.5 * step;
        // Root on the beat, the octave above on the off-beats, a fifth before the bar ends.
        int note = step % 2 == 0 ? chord.root : chord.root + 12;
        if (step == 7) {
            note = chord.root + 7;
        }
        if (style.bassGain > 0.0f) {
            bassNote(b.pumped, t, beat * 0.45, note, style.bassGain, style.bassCutoff);
        }
    }
    for (int q = 0; q < 4; ++q) {
        const double t = barStart + beat * q;
        if (style.kickGain > 0.0f) {
            kick(b.drums, t, style.kickGain);
            b.kicks.push_back(t);
        }
        if (style.clap && (q == 1 || q == 3)) {
            clap(b.drums, t, 0.55f);
            clap(b.reverbSend, t, 0.5f);
        }
        hat(b.drums, t + beat * 0.5, style.openHats ? 0.2f : 0.16f, style.openHats ? 0.09f : 0.035f,
            0.3f);
        if (style.sixteenthHats) {
            hat(b.drums, t + beat * 0.25, 0.07f, 0.02f, -0.4f);
            hat(b.drums, t + beat * 0.75, 0.07f, 0.02f, -0.4f);
        }
    }
    if (style.arpGain > 0.0f) {
        const std::array<int, 8> pattern{0, 1, 2, 3, 2, 1, 3, 1};
        const std::array<int, 4> tones{chord.voicing[0] + 12, chord.voicing[1] + 12,
                                       chord.voicing[2] + 12, chord.voicing[0] + 24};
        for (int step = 0; step < 16; ++step) {
            const double t = barStart + beat * 0.25 * step;
            const int note = tones[static_cast<size_t>(pattern[static_cast<size_t>(step % 8)])];
            const float pan = step % 2 == 0 ? -0.5f : 0.5f;
            const float accent = step % 4 == 0 ? 1.0f : 0.7f;
            pluck(b.music, t, note, style.arpGain * accent, pan, style.padCutoff * 1.5f);
            pluck(b.echoSend, t, note, style.arpGain * accent * 0.5f, pan, style.padCutoff);
        }
    }
    if (style.lead && chordStarts) {
        // A long top line: the chord's highest note an octave up, then a step toward the next.
        const int top = chord.voicing.back() + 12;
        leadNote(b.music, barStart, beat * 3, top, 0.16f);
        leadNote(b.music, barStart + beat * 3, beat, top - 2, 0.12f);
        leadNote(b.reverbSend, barStart, beat * 4, top, 0.1f);
    }
}

void playSection(Buses& b, const Section& s, const Style& style, int firstBar, int endBar) {
    for (int bar = firstBar; bar < endBar; ++bar) {
        playBar(b, s, bar, style);
    }
}

// The opening: a pad breathing under a soft heartbeat every two beats, quiet throughout.
void intro(Buses& b) {
    for (int chord = 0; chord < 4; ++chord) {
        const double t = kIntro.time(chord * 8);
        padChord(b.music, t, kIntro.beat * 8 + 0.8, kVerse[static_cast<size_t>(chord)]->voicing,
                 0.16f, 650.0f);
        padChord(b.reverbSend, t, kIntro.beat * 8 + 0.8,
                 kVerse[static_cast<size_t>(chord)]->voicing, 0.12f, 650.0f);
    }
    for (int beat = 0; beat < kIntro.beats; beat += 2) {
        thump(b.drums, kIntro.time(beat), 0.32f);
    }
    riser(b.music, kIntro.time(24), kPulseEnd, 0.06f);
}

// A build into a change: a snare roll quickening over the last two bars and a riser.
void buildInto(Buses& b, const Section& s, float gain) {
    const double rollStart = s.time(s.beats - 8);
    for (int i = 0; i < 16; ++i) {
        snare(b.drums, rollStart + s.beat * 0.5 * i, gain * (0.25f + 0.02f * i), 0.0f);
    }
    for (int i = 0; i < 16; ++i) {
        snare(b.drums, s.time(s.beats - 4) + s.beat * 0.25 * i, gain * (0.5f + 0.03f * i), 0.0f);
    }
    riser(b.music, s.time(s.beats - 8), s.end(), gain * 0.35f);
}

void beatSection(Buses& b) {
    const Style plain{&kVerse, 1,     0.17f, 1100.0f, 0.36f, 300.0f,
                      0.7f,    false, false, false,   0.0f,  false};
    Style withClap = plain;
    withClap.clap = true;
    crash(b.drums, kPulseEnd, 0.45f);
    playSection(b, kBeat, plain, 0, 8);
    playSection(b, kBeat, withClap, 8, 16);
    riser(b.music, kBeat.time(56), kLift, 0.1f);
}

void liftSection(Buses& b) {
    const Style lift{&kLiftChords, 1,    0.22f, 2000.0f, 0.45f, 340.0f,
                     0.85f,        true, true,  true,    0.1f,  false};
    crash(b.drums, kLift, 0.55f);
    impact(b.drums, kLift, kF.voicing, 0.45f);
    playSection(b, kLiftSection, lift, 0, 15);
    Style tension = lift;
    tension.kickGain = 0.0f;
    playSection(b, kLiftSection, tension, 15, 16);
    buildInto(b, kLiftSection, 0.5f);
}

void dropSection(Buses& b) {
    const Style drop{&kVerse, 1, 0.3f, 3200.0f, 0.6f, 480.0f, 1.0f, true, true, true, 0.13f, false};
    impact(b.drums, kDrop, kAm.voicing, 0.8f);
    crash(b.drums, kDrop, 0.5f);
    playSection(b, kDropSection, drop, 0, 16);
    riser(b.music, kDropSection.time(56), kFinale, 0.14f);
}

void finaleSection(Buses& b) {
    const Style finale{&kFinaleChords, 1,    0.3f, 3800.0f, 0.58f, 420.0f,
                       1.0f,           true, true, true,    0.12f, true};
    impact(b.drums, kFinale, kF.voicing, 0.8f);
    crash(b.drums, kFinale, 0.5f);
    playSection(b, kFinaleSection, finale, 0, 14);
    // Two bars of breath before the hits: pad and lead only, and a riser into the first hit.
    Style breath = finale;
    breath.kickGain = 0.0f;
    breath.clap = breath.sixteenthHats = breath.openHats = false;
    breath.bassGain = 0.0f;
    breath.arpGain = 0.0f;
    playSection(b, kFinaleSection, breath, 14, 16);
    riser(b.music, kFinaleSection.time(56), kFirstHit, 0.22f);
}

// The hit section: the steady groove stops and the 37 hits carry the rhythm. Each hit
// changes the chord, sets a bass note ringing until the next, and the hats fill between.
void hitSection(Buses& b) {
    const std::vector<double>& hits = beatTimes();
    for (size_t i = 0; i < hits.size(); ++i) {
        const double t = hits[i];
        const double next = i + 1 < hits.size() ? hits[i + 1] : kLengthSeconds - 0.5;
        const Chord& chord = *kHitChords[(i / 2) % kHitChords.size()];
        const double gap = next - t;
        impact(b.drums, t, chord.voicing, 1.0f, gap);
        impact(b.reverbSend, t, chord.voicing, 0.2f, gap);
        const double sincePrevious = i > 0 ? t - hits[i - 1] : 10.0;
        if (sincePrevious < 0.6 || gap < 0.6) {
            // A quick run of hits: toms climbing through it, like a drum fill.
            tom(b.drums, t, 110.0f + 30.0f * static_cast<float>(i % 4), 0.7f,
                -0.3f + 0.2f * static_cast<float>(i % 4));
        }
        if (gap > 2.0) {
            // A long gap: a riser carries the tension into the next hit.
            riser(b.music, t + 0.6, next, 0.2f);
        }
        bassNote(b.music, t, std::min(gap, 4.0), chord.root, 0.5f, 260.0f);
        padChord(b.music, t, std::min(gap, 4.0) + 0.4, chord.voicing, 0.26f, 2600.0f);
        padChord(b.reverbSend, t, std::min(gap, 4.0) + 0.4, chord.voicing, 0.2f, 2600.0f);
        // Ticks at the quarters of the gap, an open hat on its half: the groove follows the hits.
        const int ticks = std::max(2, static_cast<int>(std::lround(gap / 0.24)));
        for (int k = 1; k < ticks; ++k) {
            const double when = t + gap * k / ticks;
            const bool half = 2 * k == ticks;
            hat(b.drums, when, half ? 0.24f : 0.1f, half ? 0.12f : 0.025f, half ? 0.2f : -0.3f);
        }
    }
    // The last hit's chord holds and fades out by the end.
    padChord(b.music, hits.back() + 0.2, kLengthSeconds - hits.back() - 0.3, kAm.voicing, 0.22f,
             1500.0f);
}

}  // namespace

const std::vector<double>& beatTimes() {
    static const std::vector<double> times(std::begin(::beatTimes), std::end(::beatTimes));
    return times;
}

std::vector<int16_t> renderSoundtrack() {
    Buses b;
    intro(b);
    beatSection(b);
    liftSection(b);
    dropSection(b);
    finaleSection(b);
    hitSection(b);

    duck(b.pumped, b.kicks, 0.55f, 0.1);
    StereoBus mix(kLengthSeconds);
    b.drums.mixInto(mix, 1.0f);
    b.music.mixInto(mix, 1.0f);
    b.pumped.mixInto(mix, 1.0f);
    reverb(b.reverbSend, mix, 1.0f);
    echo(b.echoSend, mix, 0.36, 0.45, 0.5f);
    return master(mix, 0.89f);
}

}  // namespace soundtrack
