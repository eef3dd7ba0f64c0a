#pragma once

// The main of the window's benchmarks: the offscreen platform unless one is
// set, an application object, the data made before the timing starts, then
// Google Benchmark's own run.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

inline int runWindowBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {},
                               const std::function<void()>& finish = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (finish)
        finish();
    return 0;
}
