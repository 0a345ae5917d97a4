// A minute of sound through the whole engine, as sonafel-render plays it.

#include "bench_sources.h"
#include "offline_playback.h"
#include "virtual_wave_out.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_Render60Seconds(benchmark::State& state)
{
    CSourceBank sources;
    LoadRecordings(BenchOptions(0.5), sources);
    for (auto _ : state) {
        const auto processor = std::make_unique<CLossProcessor>(sources);
        SetUpAsTheUserWould(BenchOptions(0.5), *processor);
        long long played = 0;
        long long checksum = 0;
        CRenderWaveOut device(
            [&](const short* samples, int count) {
                played += count;
                checksum += samples[count / 2];
            },
            true);
        RunOfflinePlayback(*processor, device, [&] { return played >= 60LL * 44100; });
        benchmark::DoNotOptimize(checksum);
    }
}

}  // namespace

BENCHMARK(BM_Render60Seconds)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
