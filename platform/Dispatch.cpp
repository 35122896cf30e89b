#include "platform/Dispatch.h"

#include "platform/Abort.h"
#include "platform/Services.h"

#include <cstdio>

namespace platform {

void Abort() { throw EAbort(); }

std::string WithFullStop(const std::string& text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

namespace {
void ShowUnhandled(const std::string& text) noexcept
{
    try {
        Ui().ShowGeneralError(WithFullStop(text));
    } catch (...) {
        // The box itself failed (no backend, out of memory): the terminal is all that is left.
        std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
    }
}
}  // namespace

Outcome Dispatch(const std::function<void()>& handler) noexcept
{
    try {
        handler();
        return Outcome::Completed;
    } catch (const EAbort&) {
        return Outcome::Aborted;
    } catch (const std::exception& e) {
        ShowUnhandled(e.what());
    } catch (...) {
        ShowUnhandled("Unknown error");
    }
    return Outcome::Failed;
}

}  // namespace platform
