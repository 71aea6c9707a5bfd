#pragma once

#include <limits>

namespace tolvane {

// Monotonic time in seconds. The program uses the real clock; tests use
// ManualClock and move time themselves, so nothing in a test ever sleeps.
class Clock {
public:
    static constexpr double distantFuture = std::numeric_limits<double>::infinity();

    virtual ~Clock() = default;
    virtual double now() const = 0;
    // Blocks until the deadline passes or one of the descriptors is readable.
    // Returns false when waiting would never end (a manual clock asked to wait
    // for the distant future with nothing to wake it).
    virtual bool waitUntil(double deadline, const int* descriptors, int count) = 0;
};

class RealClock final : public Clock {
public:
    double now() const override;
    bool waitUntil(double deadline, const int* descriptors, int count) override;
};

// Time stands still until the run loop jumps it to the next due moment.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000.0) : now_(start) {}
    double now() const override { return now_; }
    bool waitUntil(double deadline, const int* descriptors, int count) override;

private:
    double now_;
};

} // namespace tolvane
