// Encoding of a one-layer, one-surface triangle mesh as an LWO2 object file.
//
// The output holds exactly the chunks TAGS, LAYR, PNTS, POLS (FACE), PTAG (SURF) and SURF,
// in that order, big-endian, with IFF lengths and pad bytes. Coordinates are stored as given
// (LightWave's left-handed frame: triangles list their corners clockwise seen from outside).
// Encoding is a pure function of the model, so the same model always gives the same bytes; the
// chunks are written by the engine's LWO2 writer (lwo/lwo_writer.h), the one the tests use.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lwo/vec3.h"

namespace makeobjects {

// One surface sub-chunk with its float values. COLR, DIFF, SPEC, LUMI, GLOS, REFL and TRAN
// carry a trailing envelope index (always 0: no envelope); SMAN does not.
struct SurfaceAttribute {
    std::string id;
    std::vector<float> values;
};

struct ObjectModel {
    std::string layerName;
    std::string surfaceName;
    std::vector<Vec3> points;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::vector<SurfaceAttribute> surfaceAttributes;  // in file order
};

// The bytes of the whole file, "FORM" header included. Throws std::invalid_argument when the
// model cannot be written as described (a corner index >= the point count, more points or
// triangles than a two-byte index can address).
std::vector<std::uint8_t> encodeLwo2(const ObjectModel& model);

// The size encodeLwo2 produces for a model, computed from the counts and string lengths alone.
// The tool checks one against the other, so the size budget written here stays honest.
std::size_t lwo2FileSize(const ObjectModel& model);

}  // namespace makeobjects
