// The soundtrack's arrangement, written against the show's timeline: a quiet pulse until
// 15.6 s, the beat from 15.6 s, the lift at 46 s, the drop at 77 s, the finale from 107 s,
// and a hit on each of the finale's 37 beat times, then a last chord fading out by 180 s.
//
// Units: seconds from the first sample of music. The result is 44.1 kHz interleaved
// 16-bit stereo, identical on every run.
#pragma once

#include <cstdint>
#include <vector>

namespace soundtrack {

constexpr double kLengthSeconds = 180.0;

// The hits of the finale: the show's own beat list (timeline/beat_times.h), on which the
// show flashes.
const std::vector<double>& beatTimes();

std::vector<int16_t> renderSoundtrack();

}  // namespace soundtrack
