// Plays speech through the real sound device in the main view, then stops the
// sound server (SIGSTOP, then SIGKILL; or SIGKILL at once) while it plays,
// and checks that the window stays usable: a paint comes within 200 ms of
// every request, the view closes within 200 ms, a new press on "Sprache"
// opens the device or reports "Failed to open replay device", and nothing
// crashes. With live-stop or live-kill the same for live sound from the
// default input: closing the live stream takes at most 200 ms, and opening
// it again plays or says why not within a second. With before, the server
// is stopped before anything has played (see ProbeBefore). Prints what it
// measured; exit status 0 when all held.
//
//   stalled_server_probe [live-]stop|[live-]kill|before SERVER_PID    (in a folder with sprache.wav)

#include "child_view.h"
#include "engine_setup.h"
#include "live_duplex.h"
#include "live_engine.h"
#include "mem_play.h"
#include "pipewire_route.h"
#include "portaudio_wave_out.h"
#include "report.h"
#include "sound_library.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>

#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr qint64 kLimitMs = 200;

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void RunFor(qint64 milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

// Asks for a paint every 50 ms for `milliseconds`; the longest wait for one.
qint64 LongestPaintWait(QWidget& view, PaintCounter& counter, qint64 milliseconds)
{
    qint64 longest = 0;
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < milliseconds) {
        const int before = counter.paints;
        QElapsedTimer wait;
        wait.start();
        view.update();
        while (counter.paints == before && wait.elapsed() < 10 * kLimitMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, counter.paints == before ? 10 * kLimitMs : wait.elapsed());
        RunFor(50);
    }
    return longest;
}

void PressSprache(CChildView& view)
{
    view.OnLButtonDown(100, 30);
    view.OnLButtonUp();
}

// Counts the hops the stream asks for.
class CCountedHops final : public ILiveHop {
public:
    explicit CCountedHops(std::shared_ptr<CLiveEngine> engine) : m_engine(std::move(engine)) {}
    void ProcessHop(const short* input, short* output) override
    {
        m_engine->ProcessHop(input, output);
        hops.fetch_add(1, std::memory_order_relaxed);
    }
    std::atomic<long> hops{0};

private:
    std::shared_ptr<CLiveEngine> m_engine;
};

int ProbeLive(bool stopFirst, pid_t server, QWidget& view, PaintCounter& counter, const CLossProcessor& settings)
{
    bool ok = true;
    const auto check = [&ok](bool held, const char* what) {
        std::printf("%s: %s\n", held ? "ok" : "FAILED", what);
        ok = ok && held;
    };
    const auto open = [&](CLiveDuplex& duplex, std::shared_ptr<CCountedHops>& hops, std::string& error) {
        auto engine = std::make_shared<CLiveEngine>();
        engine->Post(std::make_unique<CLiveSettings>(settings));
        hops = std::make_shared<CCountedHops>(engine);
        LiveOpenError why;
        const bool opened = duplex.Open(hops, CLossProcessor::kHop, LiveDevices{}, why);
        error = why.Text();
        return opened;
    };
    auto duplex = std::make_unique<CLiveDuplex>();
    std::shared_ptr<CCountedHops> hops;
    std::string error;
    check(open(*duplex, hops, error), "live sound opened on the server");
    // A second's worth of hops (344); a busy machine may take longer to
    // get the stream going through the ALSA route.
    QElapsedTimer running;
    running.start();
    while (hops->hops < 344 && running.elapsed() < 5000)
        RunFor(50);
    std::printf("live sound: %ld hops in %lld ms\n", hops->hops.load(), static_cast<long long>(running.elapsed()));
    check(hops->hops >= 344, "live sound ran for a second");
    const auto paintsCome = [&](const char* state) {
        const qint64 wait = LongestPaintWait(view, counter, 1500);
        std::printf("%s: longest wait for a paint %lld ms\n", state, static_cast<long long>(wait));
        check(wait <= kLimitMs, "paints come");
    };
    const auto closeAndOpenAgain = [&](const char* state) {
        QElapsedTimer closing;
        closing.start();
        duplex->Close();
        const qint64 closed = closing.elapsed();
        std::printf("%s: live sound closed in %lld ms\n", state, static_cast<long long>(closed));
        check(closed <= kLimitMs, "live sound closes at once");
        QElapsedTimer opening;
        opening.start();
        std::string reason;
        const bool opened = open(*duplex, hops, reason);
        const qint64 took = opening.elapsed();
        std::printf("%s: opening again took %lld ms: %s\n", state, static_cast<long long>(took),
                    opened ? "opened" : reason.c_str());
        check(took <= 1000 && (opened || !reason.empty()), "opening again plays or says why not");
        duplex->Close();
    };
    if (stopFirst) {
        kill(server, SIGSTOP);
        paintsCome("server stopped");
        closeAndOpenAgain("server stopped");
    }
    kill(server, SIGKILL);
    paintsCome("server killed");
    closeAndOpenAgain("server killed");
    duplex.reset();
    return ok ? 0 : 1;
}

// The server is stopped before anything has played: listing the devices,
// opening live sound (twice) and pressing "Sprache" each say that it failed
// within their limits, paints come between them, and once the server runs
// again live sound opens.
int ProbeBefore(pid_t server, CChildView& view, PaintCounter& counter, const std::vector<std::string>& reports)
{
    bool ok = true;
    const auto check = [&ok](bool held, const char* what) {
        std::printf("%s: %s\n", held ? "ok" : "FAILED", what);
        ok = ok && held;
    };
    kill(server, SIGSTOP);
    QElapsedTimer clock;
    clock.start();
    const bool listed = CSoundLibrary::Instance().Devices(std::chrono::milliseconds(1500)).has_value();
    std::printf("server stopped: listing the devices took %lld ms\n", static_cast<long long>(clock.elapsed()));
    check(!listed && clock.elapsed() <= 2000, "listing gives up within 2 s");
    const auto openLive = [&](LiveOpenError& why) {
        auto engine = std::make_shared<CLiveEngine>();
        engine->Post(std::make_unique<CLiveSettings>(view.Processor()));
        CLiveDuplex duplex;
        return duplex.Open(engine, CLossProcessor::kHop, LiveDevices{}, why);
    };
    for (int attempt = 1; attempt <= 2; ++attempt) {
        clock.restart();
        LiveOpenError why;
        const bool opened = openLive(why);
        std::printf("server stopped: opening live sound took %lld ms: %s\n", static_cast<long long>(clock.elapsed()),
                    opened ? "opened" : why.Text().c_str());
        check(!opened && why.kind == LiveOpenError::Kind::ServerSilent && clock.elapsed() <= 2000,
              "live sound says the server does not answer within 2 s");
        const qint64 wait = LongestPaintWait(view, counter, 300);
        check(wait <= kLimitMs, "paints come");
    }
    clock.restart();
    PressSprache(view);
    std::printf("server stopped: pressing Sprache took %lld ms\n", static_cast<long long>(clock.elapsed()));
    check(!g_memPlay.m_bOpen && reports == std::vector<std::string>{"Failed to open replay device"} &&
              clock.elapsed() <= 2000,
          "the press says the device failed within 2 s");
    kill(server, SIGCONT);
    bool opened = false;
    for (clock.restart(); !opened && clock.elapsed() < 10000; RunFor(200)) {
        LiveOpenError why;
        opened = openLive(why);
    }
    std::printf("server running again: live sound %s after %lld ms\n", opened ? "opened" : "did not open",
                static_cast<long long>(clock.elapsed()));
    check(opened, "live sound opens once the server runs again");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    TakePipeWireRoute(argv);  // as the program does, so that a PipeWire server is reached as it reaches it
    const std::string how = argc == 3 ? argv[1] : "";
    const bool live = how.rfind("live-", 0) == 0;
    const std::string signal = live ? how.substr(5) : how;
    if (signal != "stop" && signal != "kill" && how != "before") {
        std::fprintf(stderr, "usage: stalled_server_probe [live-]stop|[live-]kill|before SERVER_PID\n");
        return 2;
    }
    const bool stopFirst = signal == "stop";
    const pid_t server = static_cast<pid_t>(std::atol(argv[2]));
    std::vector<std::string> reports;
    SetReportHook([&reports](const std::string& message) { reports.push_back(message); });

    QApplication application(argc, argv);
    CSourceBank sources;
    RenderOptions options;
    LoadRecordings(options, sources);
    CPortAudioWaveOut device;
    g_memPlay.SetDevice(&device);
    PaintCounter counter;
    bool ok = true;
    const auto check = [&ok](bool held, const char* what) {
        std::printf("%s: %s\n", held ? "ok" : "FAILED", what);
        ok = ok && held;
    };

    auto view = std::make_unique<CChildView>(sources);
    view->resize(1020, 700);
    view->installEventFilter(&counter);
    view->show();
    if (how == "before") {
        const int result = ProbeBefore(server, *view, counter, reports);
        view.reset();
        g_memPlay.SetDevice(nullptr);
        return result;
    }
    if (live) {
        const int result = ProbeLive(stopFirst, server, *view, counter, view->Processor());
        view.reset();
        g_memPlay.SetDevice(nullptr);
        return result;
    }
    PressSprache(*view);
    check(g_memPlay.m_bOpen, "the device opened on the server");
    const int startPos = sources.m_nSourcePos[0];
    RunFor(1000);
    check(sources.m_nSourcePos[0] != startPos, "speech played for a second");

    const auto paintsCome = [&](const char* state) {
        const qint64 wait = LongestPaintWait(*view, counter, 1500);
        std::printf("%s: longest wait for a paint %lld ms\n", state, static_cast<long long>(wait));
        check(wait <= kLimitMs, "paints come");
    };
    const auto closeAndPressAgain = [&](const char* state) {
        QElapsedTimer closing;
        closing.start();
        view.reset();
        const qint64 closed = closing.elapsed();
        std::printf("%s: the view closed in %lld ms\n", state, static_cast<long long>(closed));
        check(closed <= kLimitMs && !g_memPlay.m_bOpen, "the view closes at once");

        // The next press either plays again or says that the device failed.
        reports.clear();
        view = std::make_unique<CChildView>(sources);
        view->resize(1020, 700);
        view->installEventFilter(&counter);
        view->show();
        QElapsedTimer pressing;
        pressing.start();
        PressSprache(*view);
        const qint64 pressed = pressing.elapsed();
        const bool failed = reports == std::vector<std::string>{"Failed to open replay device"};
        std::printf("%s: the next press took %lld ms: %s\n", state, static_cast<long long>(pressed),
                    g_memPlay.m_bOpen ? "the device opened" : failed ? "\"Failed to open replay device\"" : "nothing");
        check(g_memPlay.m_bOpen || failed, "the next press opens the device or says it failed");
    };

    if (stopFirst) {
        kill(server, SIGSTOP);
        paintsCome("server stopped");
        closeAndPressAgain("server stopped");
        paintsCome("server stopped");
    }
    kill(server, SIGKILL);
    paintsCome("server killed");
    closeAndPressAgain("server killed");
    RunFor(300);
    view.reset();
    g_memPlay.SetDevice(nullptr);
    return ok ? 0 : 1;
}
