// What every window benchmark's main does: an offscreen application with the
// viewer's resources, then the benchmarks, and the shared fixture dropped
// while the application still stands.
#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>

#include "forms/Application.h"

template <typename SharedFixture>
int RunWindowBenchmarks(int& argc, char** argv, SharedFixture& shared) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Q_INIT_RESOURCE(zu_kirdo);
  zu::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shared.reset();
  return 0;
}
