#pragma once

// main() for the benchmarks that drive the desktop's widgets: a QApplication on the offscreen
// platform, unless the environment names another.

#include <QApplication>

#include <benchmark/benchmark.h>

#define OSTREVIN_WIDGETS_BENCHMARK_MAIN()                                                                              \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication application(argc, argv);                                                                          \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }
