#include "clocked_live_stream.h"

#include <chrono>
#include <cmath>
#include <limits>

std::atomic<double> CClockedLiveStream::s_lastSecondDb{-std::numeric_limits<double>::infinity()};

CClockedLiveStream::~CClockedLiveStream()
{
    Close();
}

bool CClockedLiveStream::Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices&, LiveOpenError&)
{
    Close();
    m_stop = false;
    m_hops = 0;
    m_thread = std::thread(&CClockedLiveStream::Run, this, std::move(processor), hop);
    return true;
}

void CClockedLiveStream::Close()
{
    if (!m_thread.joinable())
        return;
    m_stop = true;
    m_thread.join();
}

void CClockedLiveStream::Run(std::shared_ptr<ILiveHop> processor, int hop)
{
    std::vector<short> input(static_cast<std::size_t>(hop));
    std::vector<short> output(static_cast<std::size_t>(2 * hop));
    const auto hopTime = std::chrono::duration<double>(hop / 44100.0);
    auto next = std::chrono::steady_clock::now();
    long sample = 0;
    double sumOfSquares = 0.0;
    long measured = 0;
    while (!m_stop.load()) {
        for (short& value : input)
            value = static_cast<short>(std::lround(kTonePeak * std::sin(2.0 * M_PI * kToneHz * (sample++ % 44100) / 44100.0)));
        processor->ProcessHop(input.data(), output.data());
        for (const short value : output)
            sumOfSquares += static_cast<double>(value) * value;
        measured += hop;
        if (measured >= 44100) {
            s_lastSecondDb.store(10.0 * std::log10(sumOfSquares / (2.0 * static_cast<double>(measured))),
                                 std::memory_order_relaxed);
            sumOfSquares = 0.0;
            measured = 0;
        }
        m_hops.fetch_add(1, std::memory_order_relaxed);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(hopTime);
        std::this_thread::sleep_until(next);
    }
}
