#include "tools/object_framing.h"

#include "lwo/triangulate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kHeading = 30.0 * kRadiansPerDegree;
constexpr double kPitch = 20.0 * kRadiansPerDegree;
constexpr double kZoom = 3.2;
// LightWave's default light's heading and pitch.
constexpr double kLightHeading = 45.0 * kRadiansPerDegree;
constexpr double kLightPitch = 35.0 * kRadiansPerDegree;
constexpr double kMargin = 1.1;
// How much of its faces' area must look the same way for an object to be seen from that side.
constexpr double kOneSided = 0.5;

struct Sphere {
    double centre[3] = {0.0, 0.0, 0.0};
    double radius = 1.0;
};

Sphere boundingSphere(const LwoMesh& mesh) {
    double low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<double>::infinity());
    std::fill(high, high + 3, -std::numeric_limits<double>::infinity());
    bool any = false;
    for (const LwoPointSet& set : mesh.reader.pointSets) {
        for (const Vec3& p : set.points) {
            const double v[3] = {p.x, p.y, p.z};
            if (!std::isfinite(v[0] + v[1] + v[2])) continue;
            any = true;
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], v[a]);
                high[a] = std::max(high[a], v[a]);
            }
        }
    }
    Sphere sphere;
    if (!any) return sphere;
    double squared = 0.0;
    for (int a = 0; a < 3; ++a) {
        sphere.centre[a] = (low[a] + high[a]) / 2.0;
        squared += (high[a] - low[a]) * (high[a] - low[a]) / 4.0;
    }
    sphere.radius = std::max(std::sqrt(squared), 1e-6);
    return sphere;
}

// An object whose faces mostly look one way (a flat or open shape) is seen from the side they
// face, since their backs are not drawn: the camera looks against their summed normal.
void facingSide(const LwoMesh& mesh, double& heading, double& pitch) {
    double sum[3] = {0.0, 0.0, 0.0}, total = 0.0;
    for (const MeshPolygon& polygon : mesh.polygons) {
        // The mesh holds the file's points negated, which leaves the Newell normal as it is:
        // the file's outward normal.
        const Vec3 n = newellNormal(polygon.positions);
        sum[0] += n.x, sum[1] += n.y, sum[2] += n.z;
        total += std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    }
    const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    if (!(total > 0.0) || length < kOneSided * total) return;
    heading = std::atan2(-sum[0], -sum[2]);
    pitch = std::asin(std::clamp(sum[1] / length, -1.0, 1.0));
}

void writeChannel(std::ostream& out, int channel, double value) {
    out << "Channel " << channel << "\n{ Envelope\n  1\n  Key " << value
        << " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

}  // namespace

ObjectFraming frameObject(const LwoMesh& mesh, const std::string& objectName) {
    const Sphere sphere = boundingSphere(mesh);
    // The default 4:3 frame is wider than high, so the height decides.
    const double halfHeight = std::atan(1.0 / kZoom);
    const double distance = kMargin * sphere.radius / std::sin(halfHeight);
    double heading = kHeading, pitch = kPitch;
    facingSide(mesh, heading, pitch);
    // Where the camera looks (its +Z after heading and pitch), and so where it stands.
    const double ahead[3] = {std::sin(heading) * std::cos(pitch), -std::sin(pitch),
                             std::cos(heading) * std::cos(pitch)};
    ObjectFraming framing;
    framing.nearPlane = std::max(distance - 2.0 * sphere.radius, distance * 1e-3);
    framing.farPlane = distance + 2.0 * sphere.radius;
    std::ostringstream out;
    out.precision(17);
    out << "LWSC\n5\n\nFirstFrame 0\nLastFrame 0\nFramesPerSecond 30\n\n";
    out << "LoadObjectLayer 1 10000000 " << objectName << "\nShowObject 6 7\n\n";
    out << "AddCamera 30000000\nCameraName Camera\nShowCamera 1 -1\nCameraMotion\nNumChannels 6\n";
    for (int a = 0; a < 3; ++a) writeChannel(out, a, sphere.centre[a] - distance * ahead[a]);
    writeChannel(out, 3, heading);
    writeChannel(out, 4, pitch);
    writeChannel(out, 5, 0.0);
    out << "ZoomFactor " << kZoom << "\nFrameSize 640 480\n\n";
    // LightWave's default light stands where it does relative to this camera's usual place;
    // turned with the camera when a one-sided object moves it, so the side seen is lit.
    out << "AddLight 20000000\nLightName Light\nShowLight 0 7\nLightMotion\nNumChannels 6\n";
    for (int a = 0; a < 3; ++a) writeChannel(out, a, sphere.centre[a] - distance * ahead[a]);
    writeChannel(out, 3, heading + kLightHeading - kHeading);
    writeChannel(out, 4, pitch + kLightPitch - kPitch);
    writeChannel(out, 5, 0.0);
    out << "LightColor 1 1 1\nLightIntensity 1\nLightType 0\n";
    framing.sceneText = out.str();
    return framing;
}
