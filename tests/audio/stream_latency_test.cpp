#include "stream_latency.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Origin = StreamLatency::Origin;

// Figures in milliseconds, worked by hand at 44100 Hz: 128 samples are
// 2.9025 ms, 32 are 0.7256 ms, 256 are 5.8050 ms.
struct Case {
    const char* what;
    double reportedInputMs, reportedOutputMs;
    int hop, period;
    double inputMs, outputMs;
    Origin origin;
};

TEST(StreamLatency, TheHostsFiguresAreTakenOnlyWhereTheyCanBeRight)
{
    const double nan = std::nan("");
    const Case cases[] = {
        {"PipeWire's JACK library, period 32", 97391545.8e3, 97391548.7e3, 128, 32, 2.9025, 0.7256,
         Origin::FromPeriods},
        {"a period longer than the hop", 97391545.8e3, 97391548.7e3, 128, 256, 5.8050, 5.8050, Origin::FromPeriods},
        {"JACK's own, right", 0.0, 5.8050, 128, 128, 0.0, 5.8050, Origin::Reported},
        {"JACK, less than the buffers hold", 0.0, 0.0, 128, 32, 2.9025, 0.7256, Origin::FromPeriods},
        {"JACK, negative", -1.0, 5.8050, 128, 128, 2.9025, 2.9025, Origin::FromPeriods},
        {"ALSA, right", 11.6, 23.2, 128, 0, 11.6, 23.2, Origin::Reported},
        {"ALSA, not a number", nan, 23.2, 128, 0, 10.0, 20.0, Origin::AsAsked},
        {"ALSA, above half a second", 600.0, 23.2, 128, 0, 10.0, 20.0, Origin::AsAsked},
        {"ALSA, less than one hop", 1.0, 1.0, 128, 0, 10.0, 20.0, Origin::AsAsked},
    };
    for (const Case& c : cases) {
        const StreamLatency got =
            LatencyOfStream(c.reportedInputMs / 1000.0, c.reportedOutputMs / 1000.0, c.hop, c.period, 0.010, 0.020);
        EXPECT_NEAR(got.input * 1000.0, c.inputMs, 1e-4) << c.what;
        EXPECT_NEAR(got.output * 1000.0, c.outputMs, 1e-4) << c.what;
        EXPECT_EQ(got.origin, c.origin) << c.what;
    }
}

}  // namespace
