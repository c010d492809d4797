#pragma once
// Where the outline font's face is found: the part of the outline font that differs between
// the systems (font_file_posix.cpp asks fontconfig, font_file_windows.cpp looks in Windows'
// fonts folder, then beside the program).

#include <string>

struct FaceLocation {
    std::string file;  // UTF-8; empty when no face was found
    int index = 0;     // the face within a collection file
};

// The face for `family` at `weight` (100-900), upright, with outlines.
FaceLocation locateFace(const char* family, int weight);

// What locateFace asked, for a message when it found nothing ("fontconfig offers none").
const char* faceSearchFailure();
