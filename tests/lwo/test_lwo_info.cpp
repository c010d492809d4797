// lwo-info run over the real files: one JSON line per file with the agreed keys, reader texts
// kept off those lines, and an exit status that says whether every file loaded.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef LWO_INFO_PATH
namespace {

const std::string kDir = std::string(DEMO_TESTDATA_DIR) + "/lwo/";

struct ToolRun {
    std::vector<std::string> lines;
    int status = -1;
};

ToolRun run(const std::string& arguments) {
    ToolRun r;
    const std::string command = std::string(LWO_INFO_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[65536];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        r.lines.push_back(line);
    }
    int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

bool has(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

}  // namespace

TEST(LwoInfo, JsonLinesForEveryRealFile) {
    ASSERT_TRUE(std::filesystem::exists(kDir + "uvtest.lwo")) << "test data missing: " << kDir;
    ToolRun good =
        run("--json " + kDir + "uvtest.lwo " + kDir + "ModoExport_vertNormals.lwo " + kDir + "hierarchy.lwo");
    EXPECT_EQ(good.status, 0);
    ASSERT_EQ(good.lines.size(), 3u);
    const std::string& uv = good.lines[0];
    EXPECT_EQ(uv.rfind("{\"file\":\"" + kDir + "uvtest.lwo\",\"ok\":true,\"layers\":1,\"points\":[64],", 0),
              0u)
        << uv;
    EXPECT_TRUE(has(uv, "\"polygonSets\":[{\"type\":\"FACE\",\"polygons\":16,\"corners\":{\"4\":16}}]"))
        << uv;
    EXPECT_TRUE(has(uv, "{\"name\":\"surface1\",\"colour\":[1,1,1],\"hasTransparency\":false,\"hasBlock\":true,"
                        "\"image\":\"uvtest.png\",\"projection\":\"uv\"}"))
        << uv;
    EXPECT_TRUE(
        has(uv, "\"vertexMaps\":[{\"type\":\"TXUV\",\"name\":\"uvtest\",\"dimension\":2,\"entries\":64}]"));
    EXPECT_TRUE(has(uv, "\"discVertexMaps\":[],\"clips\":1,\"meshPolygons\":16}"));
    EXPECT_TRUE(has(good.lines[1], "\"corners\":{\"3\":48,\"4\":240}"));  // reader texts went elsewhere
    EXPECT_TRUE(has(good.lines[2], "\"points\":[8,266,8,8]"));
    EXPECT_FALSE(has(uv, "\"error\""));

    ToolRun bad =
        run("--json " + kDir + "empty.lwo " + kDir + "lwob_formatDetection.lwo " + kDir + "uvtest.lwo");
    EXPECT_EQ(bad.status, 1);
    ASSERT_EQ(bad.lines.size(), 3u);
    EXPECT_TRUE(has(bad.lines[0], "\"ok\":false,\"error\":\"" + kDir + "empty.lwo: FORM at 0x0:"));
    // An older format: read, and said to be what it is.
    EXPECT_TRUE(has(bad.lines[1], "\"ok\":true,\"layers\":1,\"points\":[24],\"format\":\"LWOB\""));
    EXPECT_TRUE(has(bad.lines[2], "\"ok\":true"));

    ToolRun human = run(kDir + "box_2uv_1unused.lwo");
    EXPECT_EQ(human.status, 0);
    ASSERT_FALSE(human.lines.empty());
    EXPECT_TRUE(has(human.lines[0], "box_2uv_1unused.lwo: ok"));
    // Patches the mesh does not keep are still counted as the file holds them.
    ToolRun patches = run(kDir + "Subdivision.lwo");
    EXPECT_TRUE(has(patches.lines.at(0), "Subdivision.lwo: ok, LWO2"));
    EXPECT_TRUE(has(patches.lines.at(3), "polygons PTCH: 24 (not drawn)"));
    EXPECT_EQ(run("").status, 2);
}

// Each format keeps a surface's picture in a record of its own: an LWO2 block names a clip by
// index and says how it is laid on, an LWO3 material names the picture itself.
TEST(LwoInfo, SurfaceImagesAndProjections) {
    const std::string earth = "\"image\":\"Q:ASSIMP/coordsys/test/models/LWO/LWO2/MappingModes/earthSpherical.jpg\"";
    ToolRun json = run("--json " + kDir + "earth_spherical_x.lwo " + kDir + "earth_planar_y.lwo " + kDir +
                       "lwo3_Cube06-UVTextureMapStandard.lwo " + kDir + "lwob_ConcavePolygon.lwo");
    EXPECT_EQ(json.status, 0);
    ASSERT_EQ(json.lines.size(), 4u);
    EXPECT_TRUE(has(json.lines[0], "\"hasBlock\":true," + earth + ",\"projection\":\"spherical\",\"axis\":\"X\"}"))
        << json.lines[0];
    EXPECT_TRUE(has(json.lines[1], earth + ",\"projection\":\"planar\",\"axis\":\"Y\"}")) << json.lines[1];
    EXPECT_TRUE(has(json.lines[2], "\"image\":\"Images/general/UV_Grid.jpg\",\"projection\":")) << json.lines[2];
    EXPECT_TRUE(has(json.lines[3], "\"image\":null,\"projection\":null}")) << json.lines[3];

    ToolRun text = run(kDir + "earth_spherical_x.lwo");
    bool listed = false;
    for (const std::string& line : text.lines)
        listed = listed || line == "  surface \"Default\": image "
                                   "\"Q:ASSIMP/coordsys/test/models/LWO/LWO2/MappingModes/earthSpherical.jpg\", "
                                   "spherical, axis X";
    EXPECT_TRUE(listed);
}
#endif
