// One block of the real-time chain with all three sources on: it must take
// far less than the 90 ms the block plays for.

#include "audiogram_presets.h"
#include "bench_sources.h"
#include "mem_play.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

namespace {

// `audiogram` in one ear heard alone, or with `rightEar` the two ears heard
// on their own channels, `audiogram` on the left.
void ProcessBlockAt(benchmark::State& state, double setting, const char* audiogram = nullptr, bool recruitment = true,
                    bool presented = false, const char* rightEar = nullptr, AidRule aid = AidRule::Off,
                    const std::optional<ImplantSettings>& implant = std::nullopt)
{
    CSourceBank sources;
    RenderOptions options = BenchOptions(setting);
    if (audiogram) {
        const CAudiogram& left = FindAudiogramPreset(audiogram)->audiogram;
        const CAudiogram& right = FindAudiogramPreset(rightEar ? rightEar : audiogram)->audiogram;
        options.audiogram = {left, right, rightEar == nullptr, audiogram};
    }
    options.settings.recruitment = recruitment;
    options.settings.aid[0] = options.settings.aid[1] = aid;
    options.settings.implant[0] = options.settings.implant[1] = implant;
    if (presented) {
        // Speech at 80 dB SPL with full scale at 80: the limiter works on every block.
        options.settings.fullScaleSpl = 80.0;
        options.settings.listeningSpl = 80.0;
    }
    LoadRecordings(options, sources);
    const auto processor = std::make_unique<CLossProcessor>(sources);
    SetUpAsTheUserWould(options, *processor);
    for (auto _ : state) {
        processor->ProcessBlock();  // the player is closed: nothing is queued
        benchmark::DoNotOptimize(processor->m_sOutput);
    }
}

void BM_ProcessBlock_Settings0(benchmark::State& state) { ProcessBlockAt(state, 0.0); }
void BM_ProcessBlock_Settings1(benchmark::State& state) { ProcessBlockAt(state, 1.0); }
// The same with a standard audiogram on top, as a fixed attenuation and with
// recruitment: the cost of each stage.
void BM_ProcessBlock_Settings0_AudiogramS2(benchmark::State& state) { ProcessBlockAt(state, 0.0, "S2", false); }
void BM_ProcessBlock_Settings1_AudiogramS2(benchmark::State& state) { ProcessBlockAt(state, 1.0, "S2", false); }
void BM_ProcessBlock_Settings0_RecruitmentS2(benchmark::State& state) { ProcessBlockAt(state, 0.0, "S2", true); }
void BM_ProcessBlock_Settings0_RecruitmentS2_Presented(benchmark::State& state)
{
    ProcessBlockAt(state, 0.0, "S2", true, true);
}
// Both ears, each with its own loss and recruitment: against one ear alone.
void BM_ProcessBlock_Settings0_RecruitmentS2N3_BothEars(benchmark::State& state)
{
    ProcessBlockAt(state, 0.0, "S2", true, false, "N3");
}
void BM_ProcessBlock_Settings0_RecruitmentN3(benchmark::State& state) { ProcessBlockAt(state, 0.0, "N3", true); }
// With a level-dependent aid in each ear before its loss: against the same without.
void BM_ProcessBlock_Settings0_RecruitmentS2N3_BothEars_Fig6(benchmark::State& state)
{
    ProcessBlockAt(state, 0.0, "S2", true, false, "N3", AidRule::Fig6);
}

// An implant of 22 channels in each ear (instead of S2 and N3), with the
// current's spread: noise carriers (0) or sines (1).
void BM_ProcessBlock_Settings0_Implants22BothEars(benchmark::State& state)
{
    ImplantSettings implant;
    implant.channels = 22;
    implant.spreadDbPerMm = 2.8;
    implant.carrier = state.range(0) ? ImplantCarrier::Sine : ImplantCarrier::Noise;
    ProcessBlockAt(state, 0.0, "S2", true, false, "N3", AidRule::Off, implant);
}

}  // namespace

BENCHMARK(BM_ProcessBlock_Settings0)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings1)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_AudiogramS2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings1_AudiogramS2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_RecruitmentS2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_RecruitmentS2_Presented)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_RecruitmentN3)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_RecruitmentS2N3_BothEars)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_RecruitmentS2N3_BothEars_Fig6)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessBlock_Settings0_Implants22BothEars)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
