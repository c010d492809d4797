// The demo's command line: every flag's good and bad values.
#include "app/demo_options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::string parse(std::initializer_list<const char*> arguments, DemoOptions& options) {
    std::vector<char*> argv = {const_cast<char*>("demo")};
    for (const char* a : arguments) argv.push_back(const_cast<char*>(a));
    return parseDemoOptions(static_cast<int>(argv.size()), argv.data(), options);
}

TEST(DemoOptions, DefaultsAreFullScreenWithVsyncFromTheStart) {
    DemoOptions options;
    EXPECT_EQ(parse({}, options), "");
    EXPECT_EQ(options.window.mode, DisplayMode::Desktop);
    EXPECT_TRUE(options.window.vsync);
    EXPECT_EQ(options.start, 0.0);
    EXPECT_FALSE(options.loop);
    EXPECT_FALSE(options.sharp);
}

TEST(DemoOptions, EveryFlagIsTaken) {
    DemoOptions options;
    EXPECT_EQ(parse({"--window", "1280x720", "--no-vsync", "--sharp", "--start", "99.5", "--loop"}, options), "");
    EXPECT_EQ(options.window.mode, DisplayMode::Window);
    EXPECT_EQ(options.window.windowWidth, 1280);
    EXPECT_EQ(options.window.windowHeight, 720);
    EXPECT_FALSE(options.window.vsync);
    EXPECT_TRUE(options.sharp);
    EXPECT_EQ(options.start, 99.5);
    EXPECT_TRUE(options.loop);

    DemoOptions plain;
    EXPECT_EQ(parse({"--window", "--loop"}, plain), "") << "the size is optional";
    EXPECT_EQ(plain.window.windowWidth, 0);
    EXPECT_TRUE(plain.loop);
    EXPECT_EQ(parse({"--mode-switch", "--start", "175.5"}, plain), "") << "the last frame's time";
    EXPECT_EQ(plain.window.mode, DisplayMode::ModeSwitch);
    EXPECT_EQ(parse({"--sharp", "--"}, plain), "") << "\"--\" only ends the options";
}

TEST(DemoOptions, BadValuesNameTheirFlag) {
    struct Case {
        std::initializer_list<const char*> arguments;
        const char* flag;
    };
    for (const Case& c : {Case{{"--start"}, "--start"}, Case{{"--start", "-1"}, "--start"},
                          Case{{"--start", "nan"}, "--start"}, Case{{"--start", "1e300"}, "--start"},
                          Case{{"--start", "175.6"}, "--start"}, Case{{"--start", "12s"}, "--start"},
                          Case{{"--window", "100x100"}, "--window"}, Case{{"--window", "8000x600"}, "--window"},
                          Case{{"--window", "800x600x"}, "--window"}, Case{{"--window", "99999999x600"}, "--window"},
                          Case{{"--fullscreen"}, "--fullscreen"}, Case{{"demo.mp3"}, "demo.mp3"},
                          Case{{"--", "--loop"}, "--loop"}}) {
        DemoOptions options;
        const std::string error = parse(c.arguments, options);
        EXPECT_NE(error.find(c.flag), std::string::npos) << "'" << error << "' does not name " << c.flag;
    }
}

}  // namespace
