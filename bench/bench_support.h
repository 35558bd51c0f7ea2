#pragma once
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <QGuiApplication>
#include <vector>

// What the benchmarks share: the memcpy reference their x_memcpy counters are measured against.
namespace velmora::effects {}
namespace velmora::Dynarray {}
namespace velmora::Dynarray32 {}
namespace velmora::platform {}
namespace platform = velmora::platform;
namespace effects = velmora::effects;

namespace benchsupport {

// Seconds per memcpy of `bytes`, best of several rounds (warm caches, like the work measured).
inline double memcpySeconds(std::size_t bytes) {
    std::vector<std::uint8_t> a(bytes, 1), b(bytes, 2);
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        constexpr int reps = 20;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < reps; ++i) {
            std::memcpy(b.data(), a.data(), bytes);
            benchmark::DoNotOptimize(b.data());
            benchmark::ClobberMemory();
        }
        best = std::min(
            best,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / reps);
    }
    return best;
}

// Runs the benchmarks inside a GUI application (fonts need one; no display is needed). App is
// QGuiApplication, or QApplication for benchmarks that show a window.
template <class App = QGuiApplication>
inline int runBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace benchsupport
