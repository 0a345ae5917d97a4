// sonafel-play: the program's main view without a display, playing on a
// sound device: the sliders are set, the sources in --on switched on, and the
// view runs (processing a block and painting for every finished buffer) for
// the time asked. Reports how many blocks were played and how often the
// device's queue ran dry. For end-to-end sound checks and soak runs.
//
//   sonafel-play [--device portaudio|virtual] [--load] [sonafel-render's options]
//
// --device virtual plays without sound, paced by the clock; --load keeps the
// machine's other cores busy meanwhile. The recordings are read as
// sonafel-render reads them.

#include "child_view.h"
#include "clocked_wave_out.h"
#include "engine_setup.h"
#include "mem_play.h"
#include "portaudio_wave_out.h"

#include <QApplication>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    // Our own options first; the rest are sonafel-render's, with a dummy output.
    std::vector<const char*> rest = {argv[0]};
    bool virtualDevice = false;
    bool load = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            const std::string device = argv[++i];
            if (device != "virtual" && device != "portaudio") {
                std::fprintf(stderr, "sonafel-play: --device is portaudio or virtual, not '%s'\n", device.c_str());
                return 2;
            }
            virtualDevice = device == "virtual";
        } else if (std::strcmp(argv[i], "--load") == 0) {
            load = true;
        } else {
            rest.push_back(argv[i]);
        }
    }
    rest.push_back("-");
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(static_cast<int>(rest.size()), rest.data(), options, error) ||
        !NoLogsAsked(options, "sonafel-play", error)) {
        std::fprintf(stderr, "sonafel-play: %s\n", error.c_str());
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    CSourceBank sources;
    LoadRecordings(options, sources);

    std::unique_ptr<IWaveOutDevice> device;
    if (virtualDevice)
        device = std::make_unique<CClockedWaveOut>();
    else
        device = std::make_unique<CPortAudioWaveOut>();
    g_memPlay.SetDevice(device.get());

    std::atomic<bool> loading{load};
    std::vector<std::thread> busy;
    for (unsigned core = 1; load && core < std::thread::hardware_concurrency(); ++core)
        busy.emplace_back([&loading] {
            volatile unsigned long spin = 0;
            while (loading.load(std::memory_order_relaxed))
                spin = spin + 1;
        });

    bool opened = false;
    {
        CChildView view(sources);
        view.resize(1020, 700);
        view.show();
        QApplication::processEvents();
        SetUpAsTheUserWould(options, view.Processor());
        view.Processor().ControlPlayback(view.Poster());
        opened = g_memPlay.m_bOpen != 0;
        if (opened) {
            QTimer::singleShot(static_cast<int>(options.samples * 1000 / 44100), &application, &QApplication::quit);
            application.exec();
        }
        for (int source = 0; source < kSourceCount; ++source)
            view.Controls().SetSourceOn(source, false);
        view.Processor().ControlPlayback(view.Poster());
        if (virtualDevice) {
            const auto& clocked = static_cast<const CClockedWaveOut&>(*device);
            std::printf("played %ld blocks, queue ran dry %ld times\n", clocked.BuffersPlayed(),
                        clocked.TimesRunDry());
        } else {
            const auto& played = static_cast<const CPortAudioWaveOut&>(*device);
            std::printf("queue ran dry %ld times, the device reported %ld underflows\n", played.TimesRunDry(),
                        played.Underflows());
        }
    }
    loading = false;
    for (std::thread& thread : busy)
        thread.join();
    g_memPlay.SetDevice(nullptr);
    return opened ? 0 : 1;
}
