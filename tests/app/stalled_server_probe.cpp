// Plays speech through the real sound device in the main view, then stops the
// sound server (SIGSTOP, then SIGKILL; or SIGKILL at once) while it plays,
// and checks that the window stays usable: a paint comes within 200 ms of
// every request, the view closes within 200 ms, a new press on "Sprache"
// opens the device or reports "Failed to open replay device", and nothing
// crashes. With live-stop or live-kill the same for live sound from the
// default input: closing the live stream takes at most 200 ms, and opening
// it again plays or says why not within a second. Prints what it measured;
// exit status 0 when all held.
//
//   stalled_server_probe [live-]stop|[live-]kill SERVER_PID    (in a folder with sprache.wav)

#include "child_view.h"
#include "engine_setup.h"
#include "live_duplex.h"
#include "live_engine.h"
#include "mem_play.h"
#include "portaudio_wave_out.h"
#include "report.h"

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
        engine->Post(CLossProcessor::SettingsOf(settings));
        hops = std::make_shared<CCountedHops>(engine);
        return duplex.Open(hops, CLossProcessor::kHop, 0.0, error);
    };
    auto duplex = std::make_unique<CLiveDuplex>();
    std::shared_ptr<CCountedHops> hops;
    std::string error;
    check(open(*duplex, hops, error), "live sound opened on the server");
    RunFor(1000);
    check(hops->hops > 100, "live sound ran for a second");
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

}  // namespace

int main(int argc, char** argv)
{
    const std::string how = argc == 3 ? argv[1] : "";
    const bool live = how.rfind("live-", 0) == 0;
    const std::string signal = live ? how.substr(5) : how;
    if (signal != "stop" && signal != "kill") {
        std::fprintf(stderr, "usage: stalled_server_probe [live-]stop|[live-]kill SERVER_PID\n");
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
    if (live) {
        const int result = ProbeLive(stopFirst, server, *view, counter, *view);
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
