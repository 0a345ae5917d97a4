// Runs sonafel-sii as a user would. The expected indices were worked out
// apart from the program, step by step from the standard's procedure, to
// three decimals; the standard allows 0.005.

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct SiiTool : ::testing::Test {
    TempDir dir;

    void SetUp() override
    {
        // L0001 of the public data set's listener file (asymmetric), and a flat 40 dB HL listener.
        std::ofstream(dir.Path("listeners.json"))
            << R"({"L0001": {"name": "L0001", "audiogram_cfs": [250, 500, 1000, 2000, 3000, 4000, 6000, 8000],)"
               R"( "audiogram_levels_l": [45, 45, 35, 45, 60, 65, 70, 65],)"
               R"( "audiogram_levels_r": [40, 40, 45, 45, 60, 65, 80, 80]},)"
               R"( "F40": {"name": "F40", "audiogram_cfs": [250, 8000],)"
               R"( "audiogram_levels_l": [40, 40], "audiogram_levels_r": [40, 40]}})";
    }

    int Run(const std::string& arguments) { return RunTool(dir, SONAFEL_SII_PATH, arguments); }
};

}  // namespace

TEST_F(SiiTool, PrintsTheStandardsIndexForEachEarAndBoth)
{
    const struct {
        const char* arguments;
        double left, right, both;
    } kCases[] = {
        // Moderately sloping, steeply sloping and moderate-to-severe standard losses.
        {"--audiogram N3", 0.283, 0.283, 0.320},
        {"--audiogram N3 --distance 2", 0.177, 0.177, 0.204},
        {"--audiogram N3 --effort raised", 0.466, 0.466, 0.507},
        {"--audiogram N3 --effort shout --distance 2", 0.669, 0.669, 0.697},
        {"--audiogram S2 --effort loud", 0.572, 0.572, 0.586},
        {"--audiogram S2 --effort raised --distance 2", 0.485, 0.485, 0.495},
        {"--audiogram N4 --effort loud --distance 2", 0.115, 0.115, 0.145},
        {"--audiogram N4 --effort shout", 0.396, 0.396, 0.441},
        // Asymmetric: each ear its own thresholds, both the better band of each.
        {"--audiogram listeners.json:L0001", 0.264, 0.223, 0.327},
        {"--audiogram listeners.json:L0001 --effort loud --distance 2", 0.470, 0.429, 0.542},
        {"--audiogram listeners.json:L0001 --effort shout", 0.685, 0.703, 0.721},
        {"--audiogram-left N3 --audiogram-right S2 --effort raised", 0.466, 0.532, 0.594},
        // Flat.
        {"--audiogram listeners.json:F40 --distance 2", 0.196, 0.196, 0.247},
        {"--audiogram listeners.json:F40 --effort loud", 0.829, 0.829, 0.868},
        // Aided: the insertion gain at each band's speech level.
        {"--audiogram N3 --aid nal-r", 0.683, 0.683, 0.717},
        {"--audiogram N3 --aid fig6", 0.847, 0.847, 0.866},
        {"--audiogram N4 --aid fig6 --effort loud", 0.748, 0.748, 0.754},
        {"--audiogram S2 --aid nal-r --effort loud", 0.683, 0.683, 0.694},
        {"--audiogram listeners.json:L0001 --aid fig6", 0.832, 0.810, 0.859},
        {"--audiogram listeners.json:F40 --aid fig6 --effort loud", 0.867, 0.867, 0.871},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(Run(c.arguments), 0) << c.arguments << ": " << ReadText(dir.Path("stderr.txt"));
        double left = -1, right = -1, both = -1;
        const std::string line = ReadText(dir.Path("stdout.txt"));
        ASSERT_EQ(std::sscanf(line.c_str(), "left %lf right %lf both %lf\n", &left, &right, &both), 3) << line;
        EXPECT_NEAR(left, c.left, 0.005) << c.arguments;
        EXPECT_NEAR(right, c.right, 0.005) << c.arguments;
        EXPECT_NEAR(both, c.both, 0.005) << c.arguments;
        EXPECT_EQ(line.size(), std::string("left 0.000 right 0.000 both 0.000\n").size()) << line;
    }
}

TEST_F(SiiTool, RefusesWhatIsOutOfRangeOrUnknownWithTheReason)
{
    const struct {
        const char* arguments;
        const char* reason;
    } kCases[] = {
        {"", "no audiogram"},
        {"--audiogram N3 --distance 0.1", "0.25 to 20"},
        {"--audiogram N3 --distance 21", "0.25 to 20"},
        {"--audiogram N3 --distance nan", "0.25 to 20"},
        {"--audiogram N3 --distance 1m", "0.25 to 20"},
        {"--audiogram N3 --distance=", "0.25 to 20"},
        {"--audiogram N3 --effort whisper", "normal, raised, loud or shout"},
        {"--audiogram N3 --aid loud", "nal-r, fig6 or off"},
        {"--audiogram N3 --audiogram S2", "once"},
        {"--audiogram N9", "N9"},
        {"--audiogram listeners.json:L9999", "L9999"},
        {"--audiogram N3 --effort", "needs a value"},
        {"--audiogram N3 --volume 3", "unknown option"},
        {"--help=yes", "takes no value"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Run(c.arguments), 2) << c.arguments;
        EXPECT_NE(ReadText(dir.Path("stderr.txt")).find(c.reason), std::string::npos)
            << c.arguments << ": " << ReadText(dir.Path("stderr.txt"));
        EXPECT_EQ(ReadText(dir.Path("stdout.txt")), "") << c.arguments;
    }
}
