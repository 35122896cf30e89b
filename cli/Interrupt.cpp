#include "cli/Interrupt.h"

#include "platform/Abort.h"

#include <csignal>

namespace cli {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnInterrupt(int) { gInterrupted = 1; }
}  // namespace

void CatchInterrupts()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted() { return gInterrupted != 0; }

void WatchWriter(platform::console::ConsoleServices& ui, ProgressBar& bar, const BarObserver& observer)
{
    CatchInterrupts();
    ui.onTick = [&bar, &observer] {
        if (Interrupted()) platform::Abort();
        bar.Tick(observer.done, observer.total);
    };
    ui.beforeMessage = [&bar] { bar.Clear(); };
}

}  // namespace cli
