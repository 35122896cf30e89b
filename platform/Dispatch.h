// The one entry from an event loop (or the CLI's main) into a handler.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class Outcome {
    Completed,  // the handler returned normally
    Aborted,    // it ended with Abort (its message, if any, was shown)
    Failed      // an unhandled error, shown in the general error box
};

// Runs the handler. Swallows EAbort; turns any other exception into the
// general error box. Never lets an exception escape.
Outcome Dispatch(const std::function<void()>& handler) noexcept;

// The general error box's text: a full stop is appended when the last
// character sorts after "." in character order.
std::string WithFullStop(const std::string& text);

}  // namespace platform
