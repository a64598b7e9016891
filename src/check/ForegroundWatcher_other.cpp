// Desktops where Ringlet does not know how to learn the active application.

#include "ForegroundWatcher.h"

namespace {
class NoForegroundWatcher : public ForegroundWatcher
{
public:
    bool start(Handler) override { return false; }
    void stop() override {}
    bool seesOwnWindows() const override { return false; }
};
} // namespace

std::unique_ptr<ForegroundWatcher> createForegroundWatcher()
{
    return std::make_unique<NoForegroundWatcher>();
}
