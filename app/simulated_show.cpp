#include "app/simulated_show.h"

double simulatedFrameTime(long frame, long rateNumerator, long rateDenominator) {
    return static_cast<double>(frame) * static_cast<double>(rateDenominator) / static_cast<double>(rateNumerator);
}

std::unique_ptr<GlContext> openShowContext(int width, int height, std::string* error) {
    std::unique_ptr<GlContext> context = GlContext::open(hiddenWindow(width, height), error);
    if (context) initGLState();
    return context;
}

SimulatedShow::SimulatedShow(Show& show, DrawingSurface& surface, long rateNumerator, long rateDenominator)
    : rateNumerator_(rateNumerator), rateDenominator_(rateDenominator), script_(clock_, show), modes_(surface, script_) {}

void SimulatedShow::runFrame(long frame, FrameUse use) {
    modes_.set(use);
    clock_.demoTime = frameTime(frame);
    script_.renderFrame();
}
