#pragma once
#include <cstdint>
#include <vector>

namespace velmora::platform {

// Time as the player sees it: a 32-bit millisecond tick count that wraps, and a busy-wait spin
// measured in empty loop iterations (100 iterations are one delay unit of about 1 microsecond).
// Waits that need no such precision sleep instead.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tickCount() = 0;
    // Busy-waits as long as `iterations` empty loop iterations take on the reference machine.
    virtual void spin(std::uint64_t iterations) = 0;
    // A monotonic time in nanoseconds, and a sleep of about that many.
    virtual std::uint64_t nanos() = 0;
    virtual void sleepFor(std::uint64_t nanoseconds) = 0;
};

// How long one spin iteration lasts by its nominal length: a delay unit is 100 of them.
constexpr std::uint64_t NanosPerIteration = 10;

// The real clock: the monotonic clock, and a spin that busy-waits on it, so that one delay unit
// lasts one microsecond on every processor.
class SystemClock : public Clock {
public:
    std::uint32_t tickCount() override;
    void spin(std::uint64_t iterations) override;
    std::uint64_t nanos() override;
    void sleepFor(std::uint64_t nanoseconds) override;
};

// A clock for tests: nothing waits. Every tick-count read advances time by `stepPerRead`
// milliseconds, every spin is counted instead of run, and a sleep moves time on by its length.
class CountingClock : public Clock {
public:
    std::uint32_t tickCount() override;
    void spin(std::uint64_t iterations) override;
    std::uint64_t nanos() override { return std::uint64_t(now) * 1000000u + subMillis_; }
    void sleepFor(std::uint64_t nanoseconds) override;

    std::uint32_t now = 0; // milliseconds
    std::uint32_t stepPerRead = 1;
    std::uint64_t reads = 0;
    std::uint64_t spunIterations = 0;
    std::vector<std::uint64_t> spins; // each spin's iteration count, in order
    std::uint64_t sleptNanos = 0;
    std::uint64_t sleeps = 0;

private:
    std::uint64_t subMillis_ = 0; // nanoseconds beyond `now`
};

// A clock that only its owner moves: time stands until `now` is set, and a sleep moves it on
// by its length. Whatever paces itself by a clock runs under it without waiting.
class ManualClock : public Clock {
public:
    std::uint32_t tickCount() override { return std::uint32_t(now / 1000000); }
    void spin(std::uint64_t) override {}
    std::uint64_t nanos() override { return now; }
    void sleepFor(std::uint64_t nanoseconds) override { now += nanoseconds; }
    std::uint64_t now = 0; // nanoseconds
};

Clock& clock();
// Installs a clock (tests, a show); nullptr restores the system clock. Returns the clock that
// was installed before (nullptr for the system clock).
Clock* setClock(Clock* c);
SystemClock& systemClock();

} // namespace velmora::platform
