#include <StopSignals.h>

#include <atomic>
#include <csignal>

namespace quorvel_archive {

namespace {

// Written by the handler, so it must be lock-free to be safe there.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void askToStop(int signal)
{
    stopSignal.store(signal);
}

using Handler = void (*)(int);
Handler previousInterrupt = SIG_DFL;
Handler previousTerminate = SIG_DFL;

} // namespace

StopSignals::StopSignals()
{
    previousInterrupt = std::signal(SIGINT, askToStop);
    previousTerminate = std::signal(SIGTERM, askToStop);
}

StopSignals::~StopSignals()
{
    std::signal(SIGINT, previousInterrupt);
    std::signal(SIGTERM, previousTerminate);
}

int StopSignals::exitStatus()
{
    const int signal = stopSignal.load();
    return signal == 0 ? 0 : 128 + signal;
}

} // namespace quorvel_archive
