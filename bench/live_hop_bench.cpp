// The live path, a block's worth of hops (31, 90 ms of sound) at a time, so
// that it compares with one block of the recordings' path; each hop must
// take far less than the 2.9 ms it plays for.

#include "audiogram_presets.h"
#include "bench_sources.h"
#include "live_engine.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

void LiveBlockAt(benchmark::State& state, double setting, const char* left = nullptr, const char* right = nullptr)
{
    CSourceBank sources;
    RenderOptions options = BenchOptions(setting);
    if (left)
        options.audiogram = {FindAudiogramPreset(left)->audiogram, FindAudiogramPreset(right)->audiogram, false, left};
    LoadRecordings(options, sources);
    const auto window = std::make_unique<CLossProcessor>(sources);
    SetUpAsTheUserWould(options, *window);
    CLiveEngine engine(false);
    engine.Post(std::make_unique<CLiveSettings>(*window));
    // The speech recording as the microphone.
    std::vector<short> input(CLossProcessor::kBlockInput);
    sources.MixSources(options.sourceOn, input.data(), static_cast<int>(input.size()));
    short output[2 * CLossProcessor::kHop];
    for (auto _ : state) {
        for (int hop = 0; hop < CLossProcessor::kFrames; ++hop)
            engine.ProcessHop(&input[CLossProcessor::kHop * hop], output);
        benchmark::DoNotOptimize(output);
    }
}

void BM_LiveBlock_Settings0(benchmark::State& state) { LiveBlockAt(state, 0.0); }
void BM_LiveBlock_Settings0_RecruitmentS2N3_BothEars(benchmark::State& state) { LiveBlockAt(state, 0.0, "S2", "N3"); }

}  // namespace

BENCHMARK(BM_LiveBlock_Settings0)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_LiveBlock_Settings0_RecruitmentS2N3_BothEars)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
