// The silent abort: ends the running command without a further message.
// Every event reaches a handler through Dispatch, which swallows it.
#pragma once

#include <exception>

namespace platform {

class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] void Abort();

}  // namespace platform
