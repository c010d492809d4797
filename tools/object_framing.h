// A bare object seen as a scene: the text of a one-object scene whose camera frames the whole
// object, for viewing an object file with the scene player. The camera stands in front of the
// object, a little to its left and above it (heading 30°, pitch 20°), at the distance where
// the object's bounding sphere fills the height of the default lens (zoom 3.2) with a margin.
// It is lit by LightWave's default light (a distant light, heading 45°, pitch 35°). An object
// whose faces mostly look one way is seen from that side instead, the light turned with the
// camera.
#pragma once

#include "lwo/lwo_mesh.h"

#include <string>

struct ObjectFraming {
    std::string sceneText;  // a version 5 scene that loads `objectName`
    double nearPlane = 0.1;  // a depth range that holds the whole object
    double farPlane = 1000.0;
};

// `objectName` is as the scene names it (one word, looked up in the content folder); the
// object's points give the bounds (none: a unit sphere about the origin).
ObjectFraming frameObject(const LwoMesh& mesh, const std::string& objectName);
