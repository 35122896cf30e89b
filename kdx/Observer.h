// What a long operation (an apply, the making of a patch) tells its caller
// while it runs: how far it has come, once per step. The caller may show
// progress, keep a window live, or stop the operation by throwing; the
// operation releases what it holds on the way out.
#pragma once

#include <cstdint>

namespace kdx {

class Observer {
public:
    virtual ~Observer() = default;
    // done of total bytes handled; called once per record of an apply and
    // every few dozen KiB of a make, so it must be cheap.
    virtual void Step(std::int64_t done, std::int64_t total) = 0;
};

// An observer that ignores every step.
class NoObserver final : public Observer {
public:
    void Step(std::int64_t, std::int64_t) override {}
};

}  // namespace kdx
