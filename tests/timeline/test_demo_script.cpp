// The script against its show's record of slots: it reads the texture slots when it draws,
// so when it was made does not matter.
#include "timeline/demo_script.h"

#include <gtest/gtest.h>

#include "tests/fx/fx_test_support.h"

namespace {

// A script made before start-up filled the slots (a program that makes its script first) must
// still show the finale's picture: a copy of the empty slot taken at construction drew the
// backdrop untextured until 123 s.
TEST(DemoScriptShowState, AScriptMadeBeforeStartUpShowsTheLoadedFinaleBackdrop) {
    REQUIRE_GL();
    DemoClock clock;
    Show show;
    DemoScript script(clock, show);

    show.state.finaleTextures[0] = fxtest::makeSolidTexture(fxtest::kRed);  // start-up
    clock.demoTime = 110.0;  // the finale, before the second backdrop
    script.renderFrame();

    EXPECT_EQ(script.finaleBackdrop, show.state.finaleTextures[0]);
    const testsupport::Rgb centre = testsupport::readPixel(400, 300);
    EXPECT_GT(centre.r, 150) << "four grey copies of the red picture add up to about 0.88 red";
    EXPECT_LT(centre.g, 120) << "an untextured backdrop comes out near white";
}

}  // namespace
