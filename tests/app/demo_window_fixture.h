// A test with the show's own window open on SDL's offscreen driver (skipped where none can be
// made), its message queue emptied first so a test sees only the events it queues.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "platform/demo_window.h"

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        window = createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error);
        if (!window) GTEST_SKIP() << "no window: " << error;
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { delete window; }

    DemoWindow* window = nullptr;
};
