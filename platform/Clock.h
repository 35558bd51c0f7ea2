#pragma once
#include <cstdint>
#include <vector>

namespace velmora::platform {

// Time as the player sees it: a 32-bit millisecond tick count that wraps, and a busy-wait spin
// measured in empty loop iterations (100 iterations are one delay unit of about 1 microsecond).
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tickCount() = 0;
    // Busy-waits as long as `iterations` empty loop iterations take on the reference machine.
    virtual void spin(std::uint64_t iterations) = 0;
};

// The real clock: the monotonic clock in milliseconds, and a spin calibrated once so that one
// delay unit lasts about one microsecond on every processor.
class SystemClock : public Clock {
public:
    std::uint32_t tickCount() override;
    void spin(std::uint64_t iterations) override;
    void calibrate();

private:
    double loopsPerIteration_ = 0.0;
};

// A clock for tests: nothing waits. Every tick-count read advances time by `stepPerRead`
// milliseconds, and every spin is counted instead of run.
class CountingClock : public Clock {
public:
    std::uint32_t tickCount() override;
    void spin(std::uint64_t iterations) override;

    std::uint32_t now = 0;
    std::uint32_t stepPerRead = 1;
    std::uint64_t reads = 0;
    std::uint64_t spunIterations = 0;
    std::vector<std::uint64_t> spins; // each spin's iteration count, in order
};

Clock& clock();
// Installs a clock (tests); nullptr restores the system clock.
void setClock(Clock* c);
SystemClock& systemClock();

} // namespace velmora::platform
