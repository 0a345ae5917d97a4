#include "fourier_transform.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Forward then inverse, so that the data stays bounded between iterations.
void BM_RealFourierTransformRoundTrip(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    std::vector<float> data(points);
    for (int i = 0; i < points; ++i)
        data[i] = static_cast<float>((i * 7919) % 2001 - 1000);
    const float scale = 2.0f / points;
    for (auto _ : state) {
        RealFourierTransform(data.data(), points / 2, 1);
        RealFourierTransform(data.data(), points / 2, -1);
        for (float& x : data)
            x *= scale;
        benchmark::DoNotOptimize(data.data());
    }
}

}  // namespace

BENCHMARK(BM_RealFourierTransformRoundTrip)->Arg(512)->Arg(4096)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);
