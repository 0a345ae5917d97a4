#include "render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& options, std::string& error)
{
    args.insert(args.begin(), "sonafel-render");
    return ParseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(RenderOptions, DefaultsAndEveryOption)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"out.wav"}, options, error)) << error;
    EXPECT_EQ(options.speechPath, "sprache.wav");
    EXPECT_EQ(options.musicPath, "music.wav");
    EXPECT_EQ(options.noisePath, "noise.wav");
    EXPECT_EQ(options.sourceOn[0], 1);
    EXPECT_EQ(options.sourceOn[1] + options.sourceOn[2], 0);
    EXPECT_EQ(options.loudness, 1.0);
    EXPECT_EQ(options.samples, 441000);
    EXPECT_FALSE(options.exact);

    RenderOptions all;
    ASSERT_TRUE(Parse({"--speech", "s.wav", "--music=m.wav", "--noise", "n.wav", "--on", "noise,music", "--loudness",
                       "0", "--highfreq", "0.25", "--resolution=1e-1", "--blocks", "3", "--exact", "--bands", "b.csv",
                       "o.wav"},
                      all, error))
        << error;
    EXPECT_EQ(all.speechPath, "s.wav");
    EXPECT_EQ(all.musicPath, "m.wav");
    EXPECT_EQ(all.noisePath, "n.wav");
    EXPECT_EQ(all.sourceOn[0], 0);
    EXPECT_EQ(all.sourceOn[1], 1);
    EXPECT_EQ(all.sourceOn[2], 1);
    EXPECT_EQ(all.loudness, 0.0);
    EXPECT_EQ(all.highFreq, 0.25);
    EXPECT_EQ(all.resolution, 0.1);
    EXPECT_EQ(all.samples, 3 * 3968);
    EXPECT_TRUE(all.exact);
    EXPECT_EQ(all.bandsPath, "b.csv");
    EXPECT_EQ(all.outputPath, "o.wav");

    RenderOptions seconds;
    ASSERT_TRUE(Parse({"--seconds", "1.5", "o.wav"}, seconds, error));
    EXPECT_EQ(seconds.samples, 66150);
}

TEST(RenderOptions, RefusesBadOptionsWithAMessage)
{
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--loudness", "loud", "o.wav"},
        {"--loudness", "1.5", "o.wav"},
        {"--highfreq", "-0.1", "o.wav"},
        {"--resolution", "nan", "o.wav"},
        {"--resolution", "", "o.wav"},
        {"--on", "speech,drums", "o.wav"},
        {"--on", "", "o.wav"},
        {"--seconds", "0", "o.wav"},
        {"--seconds", "1", "--blocks", "2", "o.wav"},
        {"--blocks", "2.5", "o.wav"},
        {"--blocks", "-1", "o.wav"},
        {"--frobnicate", "o.wav"},
        {"o.wav", "p.wav"},
        {"o.wav", "--loudness"},
    };
    for (const auto& args : bad) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}
