// A slider moved while live sound plays, handed to the live path as the
// window does it on every tick of its timer: the window's own tables for the
// new setting, the live path's settings built and posted, the old ones
// freed. It runs on the window's thread, every 10 ms while a slider moves.

#include "audiogram_presets.h"
#include "bench_sources.h"
#include "controls.h"
#include "live_engine.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_SettingsChange(benchmark::State& state)
{
    CSourceBank sources;
    RenderOptions options = BenchOptions(0.5);
    options.audiogram = {FindAudiogramPreset("S2")->audiogram, FindAudiogramPreset("N3")->audiogram, false, "S2"};
    LoadRecordings(options, sources);
    const auto window = std::make_unique<CLossProcessor>(sources);
    SetUpAsTheUserWould(options, *window);
    CControls controls(*window);
    CLiveEngine engine(false);
    short input[CLossProcessor::kHop] = {};
    short output[2 * CLossProcessor::kHop];
    int step = 0;
    for (auto _ : state) {
        // The frequency resolution slider, one pixel further each time.
        controls.SetValue(CControls::kResolution, 0.3 + 0.001 * (step++ % 400));
        engine.Post(std::make_unique<CLiveSettings>(*window));
        state.PauseTiming();
        engine.ProcessHop(input, output);  // the sound thread takes them
        state.ResumeTiming();
        engine.Reclaim();
    }
}

}  // namespace

BENCHMARK(BM_SettingsChange)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
