// The name a benchmark's time is kept under for its ratio. With repetitions (script/bench runs
// several, interleaved with the peer's so that both see the same moments of a noisy machine)
// the median stands for the measure, reported after the single runs; mean, deviation and
// spread are left out. Without repetitions, the single run stands.
#pragma once
#include <benchmark/benchmark.h>

#include <string>

namespace tarvex {

inline std::string MeasureName(const benchmark::BenchmarkReporter::Run& run) {
    if (run.run_type != benchmark::BenchmarkReporter::Run::RT_Aggregate) return run.run_name.str();
    return run.aggregate_name == "median" ? run.run_name.str() : std::string();
}

}  // namespace tarvex
