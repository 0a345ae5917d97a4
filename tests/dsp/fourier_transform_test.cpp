#include "fourier_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;

// Expects every float to equal `expected` except the listed ones.
void ExpectOnly(const std::vector<float>& data, std::vector<std::pair<int, double>> nonZero, double tolerance)
{
    std::vector<double> expected(data.size(), 0.0);
    for (const auto& [index, value] : nonZero)
        expected[index] = value;
    for (std::size_t i = 0; i < data.size(); ++i)
        ASSERT_NEAR(data[i], expected[i], tolerance) << "float " << i;
}

std::vector<float> Forward512(double (*sample)(int))
{
    std::vector<float> data(512);
    for (int j = 0; j < 512; ++j)
        data[j] = static_cast<float>(sample(j));
    RealFourierTransform(data.data(), 256, 1);
    return data;
}

}  // namespace

TEST(RealFourierTransform, ForwardPacksDcNyquistAndBinsWithPositiveExponent)
{
    ExpectOnly(Forward512([](int) { return 1.0; }), {{0, 512.0}}, 1e-3);
    ExpectOnly(Forward512([](int j) { return j % 2 ? -1.0 : 1.0; }), {{1, 512.0}}, 1e-3);
    ExpectOnly(Forward512([](int j) { return std::cos(2 * kPi * j / 512); }), {{2, 256.0}}, 1e-3);
    // The forward exponent is positive: a sine shows as +N/2 in float 3.
    ExpectOnly(Forward512([](int j) { return std::sin(2 * kPi * j / 512); }), {{3, 256.0}}, 1e-3);
    ExpectOnly(Forward512([](int j) { return std::cos(2 * kPi * 37 * j / 512); }), {{74, 256.0}}, 1e-3);
}

TEST(RealFourierTransform, InverseOfSingleTerms)
{
    const auto inverse = [](int index, float value) {
        std::vector<float> data(512, 0.0f);
        data[index] = value;
        RealFourierTransform(data.data(), 256, -1);
        return data;
    };
    const std::vector<float> dc = inverse(0, 2.0f);
    const std::vector<float> nyquist = inverse(1, 2.0f);
    const std::vector<float> cosine = inverse(2, 1.0f);
    const std::vector<float> sine = inverse(3, 1.0f);
    for (int j = 0; j < 512; ++j) {
        ASSERT_NEAR(dc[j], 1.0, 1e-6) << j;
        ASSERT_NEAR(nyquist[j], j % 2 ? -1.0 : 1.0, 1e-6) << j;
        ASSERT_NEAR(cosine[j], std::cos(2 * kPi * j / 512), 1e-6) << j;
        ASSERT_NEAR(sine[j], std::sin(2 * kPi * j / 512), 1e-6) << j;
    }
}

TEST(RealFourierTransform, RoundTripMultipliesByHalfTheLength)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-30000.0f, 30000.0f);
    for (int n : {2, 4, 256, 2048}) {
        std::vector<float> input(2 * n);
        for (float& x : input)
            x = noise(random);
        std::vector<float> data = input;
        RealFourierTransform(data.data(), n, 1);
        RealFourierTransform(data.data(), n, -1);
        for (int j = 0; j < 2 * n; ++j)
            ASSERT_NEAR(data[j], input[j] * n, 30000.0 * n * 1e-5) << "n=" << n << " j=" << j;
    }
}

TEST(RealFourierTransform, ForwardMatchesTheDefinitionOnNoise)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> x(512);
    for (float& value : x)
        value = noise(random);
    std::vector<float> data = x;
    RealFourierTransform(data.data(), 256, 1);
    for (int k : {1, 2, 17, 100, 128, 200, 255}) {
        double re = 0.0, im = 0.0;
        for (int j = 0; j < 512; ++j) {
            re += x[j] * std::cos(2 * kPi * j * k / 512);
            im += x[j] * std::sin(2 * kPi * j * k / 512);
        }
        EXPECT_NEAR(data[2 * k], re, 1e-3) << k;
        EXPECT_NEAR(data[2 * k + 1], im, 1e-3) << k;
    }
}

TEST(FourierTransform, EverySizeAndSignMatchesTheDefinitionOnNoise)
{
    std::mt19937 random(13);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int n = 2; n <= kMaxFourierComplex; n *= 2) {
        for (int sign : {1, -1}) {
            std::vector<float> x(2 * n);
            for (float& value : x)
                value = noise(random);
            std::vector<float> data = x;
            FourierTransform(data.data(), n, sign);
            // A few bins, the first and last among them, by the definition.
            for (int k : {0, 1, n / 2, n - 1}) {
                double re = 0.0, im = 0.0;
                for (int j = 0; j < n; ++j) {
                    const double angle = sign * 2 * kPi * static_cast<double>(j) * k / n;
                    re += x[2 * j] * std::cos(angle) - x[2 * j + 1] * std::sin(angle);
                    im += x[2 * j] * std::sin(angle) + x[2 * j + 1] * std::cos(angle);
                }
                ASSERT_NEAR(data[2 * k], re, 1e-3) << n << " points, sign " << sign << ", bin " << k;
                ASSERT_NEAR(data[2 * k + 1], im, 1e-3) << n << " points, sign " << sign << ", bin " << k;
            }
        }
    }
}

TEST(FourierTransform, ImpulseAtOneGivesTheTwiddlesAndLengthOneIsIdentity)
{
    std::vector<float> data(16, 0.0f);
    data[2] = 1.0f;  // z[1] = 1
    FourierTransform(data.data(), 8, 1);
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(data[2 * k], std::cos(2 * kPi * k / 8), 1e-6) << k;
        EXPECT_NEAR(data[2 * k + 1], std::sin(2 * kPi * k / 8), 1e-6) << k;
    }
    EXPECT_NEAR(data[2], 0.70711, 1e-5);
    EXPECT_NEAR(data[3], 0.70711, 1e-5);

    float single[2] = {3.5f, -1.25f};
    FourierTransform(single, 1, -1);
    EXPECT_EQ(single[0], 3.5f);
    EXPECT_EQ(single[1], -1.25f);

    // Sign +1 then -1 multiplies by n.
    std::vector<float> values = {1, 2, 3, 4, 5, 6, 7, 8};
    FourierTransform(values.data(), 4, 1);
    FourierTransform(values.data(), 4, -1);
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(values[i], 4.0 * (i + 1), 1e-5);
}

TEST(FourierTransformDeathTest, SizesTheTablesDoNotHoldAreRefused)
{
    std::vector<float> data(2 * 4096 + 2, 0.0f);
    EXPECT_DEATH(FourierTransform(data.data(), 4096, 1), "powers of two from 1 to 2048");
    EXPECT_DEATH(FourierTransform(data.data(), 768, 1), "768");
    EXPECT_DEATH(FourierTransform(data.data(), 0, 1), "");
    EXPECT_DEATH(RealFourierTransform(data.data(), 4096, 1), "from 2 to 2048");
    EXPECT_DEATH(RealFourierTransform(data.data(), 1, -1), "");
}
