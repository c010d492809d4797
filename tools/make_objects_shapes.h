// The two objects the show embeds, modelled in code: the "Tube01" tube and the "Torus Knot".
//
// Units are the show's world units; coordinates are LightWave's (the engine's reader negates
// all three when it loads them). Both meshes are grids of quads split into triangles, listed
// clockwise seen from outside. Coordinates are rounded to 1/64 of a unit so that the bytes do
// not hinge on the last bit of a sine.
#pragma once

#include "tools/make_objects_lwo.h"

namespace makeobjects {

// A thick-walled tube along z, beside its pivot: 24 sides times a 40-point wall profile
// (outer wall, end ring, inner wall, end ring) = 960 points and 1920 triangles, closed like
// a torus.
ObjectModel makeTube();

// A (2, 3) torus knot tube: 138 rings of 12 sides = 1656 points. The last ring repeats the
// first one's positions (the texture seam of the modeller), so the tube is open along that
// seam: 137 bands of 24 triangles = 3288 triangles.
ObjectModel makeKnot();

}  // namespace makeobjects
