#include "envelope_low_pass.h"

#include <gtest/gtest.h>

TEST(EnvelopeLowPass, AStepComesThroughAsTwoOnePolePassesGiveIt)
{
    // Cut-off 75 Hz at 344.53 frames per second: each pass keeps
    // k = exp(-2π·75 / 344.53) = 0.254675 per frame. Two passes answer a
    // step with 1 - k^n·(1 + n·(1 - k)) after n frames: 0.555510, 0.838458,
    // 0.946548; one pass would give 1 - k^n, 0.745325 after the first.
    CEnvelopeLowPass envelope;
    envelope.SetCutOff(75.0, 44100.0 / 128.0);
    envelope.Reset(0.0);
    const double rising[] = {0.555510, 0.838458, 0.946548};
    for (const double expected : rising)
        EXPECT_NEAR(envelope.Next(1.0), expected, 1e-6);
    // Linear, so the fall from a settled 1 is the rise's mirror.
    for (int frame = 0; frame < 60; ++frame)
        envelope.Next(1.0);
    EXPECT_NEAR(envelope.Amplitude(), 1.0, 1e-12);
    for (const double expected : rising)
        EXPECT_NEAR(envelope.Next(0.0), 1.0 - expected, 1e-6);
}
