#include <benchmark/benchmark.h>

#include <QApplication>

#include "ShellBench.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ReleaseEditWindow();
    return EditStepsOverLimit() ? 1 : 0;
}
