#include "filter_shape.h"

#include <gtest/gtest.h>

namespace {

// At 1 kHz the ERB is 24.7·(4.37 + 1) = 132.64 Hz. Severe: 2 ERB below
// (to 734.7 Hz), above p = 2·1000 / (1·132.64) = 15.079; moderate 1.2 and
// 0.8 ERB (p = 18.848); a normal ear 0.5 either side (p = 30.157). Above,
// (1 + pg)·e^(−pg) with g = (f − 1000) / 1000.
const SmearingWidening& kNormal = kWidenings[0];
const SmearingWidening& kModerate = kWidenings[2];
const SmearingWidening& kSevere = kWidenings[3];

TEST(FilterShape, FlatBelowASkirtAboveAsWideAsTheRectangle)
{
    const struct {
        const SmearingWidening& widening;
        double hz;
        double passes;
    } points[] = {
        {kSevere, 800.0, 1.0},      {kSevere, 700.0, 0.0},      {kSevere, 1000.0, 1.0},
        {kSevere, 1100.0, 0.55520}, {kSevere, 1300.0, 0.05993}, {kModerate, 1100.0, 0.43808},
        {kNormal, 1100.0, 0.19681},
    };
    for (const auto& point : points)
        EXPECT_NEAR(FilterPasses(point.widening, 1000.0, point.hz), point.passes, 1e-4) << point.hz << " Hz";
    // Averaged over a stretch: the upper side holds 2·1000/p = 132.64 Hz,
    // the lower side's rectangle 265.28 Hz; from 900 to 1100 Hz, 100 Hz
    // below and (1000/p)·(2 − (2 + pg)·e^(−pg)) = 81.14 Hz above.
    const struct {
        double low;
        double high;
        double mean;
    } stretches[] = {{1000.0, 30000.0, 132.64 / 29000.0}, {600.0, 1000.0, 265.28 / 400.0}, {900.0, 1100.0, 0.90568}};
    for (const auto& stretch : stretches)
        EXPECT_NEAR(FilterPassesBetween(kSevere, 1000.0, stretch.low, stretch.high), stretch.mean, 1e-4)
            << stretch.low << " to " << stretch.high << " Hz";
}

TEST(FilterShape, ItsBinsRunFromTheCentreToTheFloorWithinTheirBounds)
{
    // 100 Hz bins, severe at 1 kHz: above, 1300 Hz passes 0.060 and 1400 Hz
    // 0.017, below kSkirtFloor; below, 800 Hz is inside the rectangle and
    // 700 Hz outside. Capped, the upper side keeps at most half.
    const struct {
        int lowestBin;
        int bins;
        int most;
        int first;
        int last;
    } cases[] = {{1, 100, 48, 8, 13}, {1, 100, 4, 8, 11}, {1, 100, 2, 9, 10}, {9, 100, 48, 9, 13}, {1, 12, 48, 8, 11}};
    for (const auto& c : cases) {
        const FilterSpan span = SpanOfFilter(kSevere, 1000.0, 100.0, c.lowestBin, c.bins, c.most);
        EXPECT_EQ(span.first, c.first) << c.lowestBin << ", " << c.bins << ", " << c.most;
        EXPECT_EQ(span.last, c.last) << c.lowestBin << ", " << c.bins << ", " << c.most;
    }
}

}  // namespace
