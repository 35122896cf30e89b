// bench-window: an apply as the window runs it, without a window. The patch
// is loaded with LoadPatch and written by btnApplyClick, and the pump does
// what the window's pump does: PumpThrottle on every call and, when it is
// due, one pass over the event sources (here a poll of an empty event
// descriptor, the system call that an idle event loop pass costs).
//
//   bench-window PATCH IMAGE [--undo]
//
// Questions are answered Yes (a repeated run meets an image whose block no
// longer matches). Prints the apply's figures as "key=value" lines:
// work_s (load + apply inside the process), pumps, ticks, pump_ns (the cost
// of one pump call, timed afterwards over as many calls) and exits 0 when
// the success box was shown, else 1.
#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "commands/Messages.h"
#include "platform/Dispatch.h"
#include "platform/PumpThrottle.h"
#include "platform/Services.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;

class WindowPump : public platform::Services {
public:
    WindowPump() : events_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) { platform::SetServices(this); }
    ~WindowPump() override
    {
        platform::SetServices(nullptr);
        if (events_ >= 0) ::close(events_);
    }
    WindowPump(const WindowPump&) = delete;
    WindowPump& operator=(const WindowPump&) = delete;

    ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) override
    {
        if (text == commands::text::kSuccess) succeeded = true;
        else if (type == MsgDlgType::mtError) std::fprintf(stderr, "Error: %s\n", text.c_str());
        return buttons == MsgDlgButtons::mbYesNo ? ModalResult::mrYes : ModalResult::mrOk;
    }
    void ShowGeneralError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ProcessMessages() override
    {
        ++pumps;
        if (!throttle_.Due()) return;
        ++ticks;
        pollfd p{events_, POLLIN, 0};
        poll(&p, 1, 0);
    }
    platform::Cursor ScreenCursor() const override { return cursor_; }
    void SetScreenCursor(platform::Cursor cursor) override { cursor_ = cursor; }

    bool succeeded = false;
    long long pumps = 0;
    long long ticks = 0;

private:
    platform::PumpThrottle throttle_;
    int events_;
    platform::Cursor cursor_ = platform::crDefault;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (argc == 4 && std::strcmp(argv[3], "--undo") != 0) || argc > 4) {
        std::fprintf(stderr, "usage: bench-window PATCH IMAGE [--undo]\n");
        return 2;
    }
    WindowPump ui;
    platform::PatchWindow window;
    platform::PatchControls controls = window.Controls();
    commands::PatchState state;

    const auto t0 = std::chrono::steady_clock::now();
    platform::Dispatch([&] { commands::LoadPatch(state, controls, argv[1]); });
    window.edtImage.SetText(argv[2]);
    window.cbUndo.SetChecked(argc == 4);
    platform::Dispatch([&] { commands::btnApplyClick(state, controls); });
    const std::chrono::duration<double> work = std::chrono::steady_clock::now() - t0;

    // The pump's own cost: as many calls again, with nothing else in between.
    const long long calls = ui.pumps;
    const long long ticks = ui.ticks;
    const long long timed = std::max(calls, 1000000LL);
    const auto p0 = std::chrono::steady_clock::now();
    for (long long i = 0; i < timed; ++i) platform::ProcessMessages();
    const std::chrono::duration<double, std::nano> pumpTime = std::chrono::steady_clock::now() - p0;

    std::printf("work_s=%.6f\npumps=%lld\nticks=%lld\npump_ns=%.3f\n", work.count(), calls, ticks,
                pumpTime.count() / static_cast<double>(timed));
    return ui.succeeded ? 0 : 1;
}
