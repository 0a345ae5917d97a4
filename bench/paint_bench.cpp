// Painting the main view at 1020 x 700 while sound runs: every paint follows a
// processed block, so the levels change each time. Runs without a display.

#include "bench_sources.h"
#include "child_view.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_OnPaint_1020x700(benchmark::State& state)
{
    CSourceBank sources;
    LoadRecordings(BenchOptions(0.6), sources);
    CChildView view(sources);
    view.resize(1020, 700);
    QImage target(view.size(), QImage::Format_RGB32);
    view.render(&target);
    SetUpAsTheUserWould(BenchOptions(0.6), view.Processor());
    for (auto _ : state) {
        state.PauseTiming();
        view.Processor().ProcessBlock();
        state.ResumeTiming();
        view.render(&target);
    }
}

// A listener's two ears hearing all three recordings, a block and its paint:
// in the relative view (0), and in Hörbarkeit (1), which measures the index
// after the block and reads it in the paint.
void BM_BlockAndPaint_TwoEars_1020x700(benchmark::State& state)
{
    RenderOptions options = BenchOptions(1.0);
    std::string error;
    ChooseEarAudiogram("N3", Ear::Left, options.audiogram, error);
    ChooseEarAudiogram("S2", Ear::Right, options.audiogram, error);
    CSourceBank sources;
    LoadRecordings(options, sources);
    CChildView view(sources);
    view.resize(1020, 700);
    view.SetSpectrumView(state.range(0) ? CChildView::SpectrumView::Audibility : CChildView::SpectrumView::Relative);
    QImage target(view.size(), QImage::Format_RGB32);
    view.render(&target);
    SetUpAsTheUserWould(options, view.Processor());
    for (auto _ : state) {
        view.Processor().ProcessBlock();
        view.render(&target);
    }
}

}  // namespace

BENCHMARK(BM_OnPaint_1020x700)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_BlockAndPaint_TwoEars_1020x700)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
