#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace velmora::platform {

namespace {
SystemClock theSystemClock;
Clock* current = nullptr;

// The empty loop behind every delay. The empty asm statement keeps the compiler from removing
// or collapsing it.
void emptyLoops(std::uint64_t loops) {
    for (std::uint64_t i = 0; i < loops; ++i)
        asm volatile("" : "+r"(i));
}

std::uint64_t nowNanos() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

std::uint32_t SystemClock::tickCount() {
    return static_cast<std::uint32_t>(nowNanos() / 1000000u);
}

void SystemClock::spin(std::uint64_t iterations) {
    if (iterations == 0) return;
    // Against the monotonic clock, not a loop count: a calibrated loop runs slower whenever the
    // processor is shared, a deadline does not.
    const std::uint64_t deadline = nowNanos() + iterations * NanosPerIteration;
    while (nowNanos() < deadline)
        emptyLoops(16);
}

std::uint64_t SystemClock::nanos() {
    return nowNanos();
}

void SystemClock::sleepFor(std::uint64_t nanoseconds) {
    std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

void CountingClock::sleepFor(std::uint64_t nanoseconds) {
    ++sleeps;
    sleptNanos += nanoseconds;
    subMillis_ += nanoseconds;
    now += std::uint32_t(subMillis_ / 1000000u);
    subMillis_ %= 1000000u;
}

std::uint32_t CountingClock::tickCount() {
    ++reads;
    const std::uint32_t t = now;
    now += stepPerRead;
    return t;
}

void CountingClock::spin(std::uint64_t iterations) {
    spunIterations += iterations;
    spins.push_back(iterations);
}

Clock& clock() {
    return current ? *current : theSystemClock;
}
Clock* setClock(Clock* c) {
    Clock* before = current;
    current = c;
    return before;
}
SystemClock& systemClock() {
    return theSystemClock;
}

} // namespace velmora::platform
