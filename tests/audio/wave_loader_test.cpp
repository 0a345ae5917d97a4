#include "test_support.h"
#include "wave_loader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct WaveLoader : ::testing::Test {
    TempDir dir;
    ReportRecorder reports;
    short* const untouched = reinterpret_cast<short*>(&dir);

    // Loads `name` from the temporary directory.
    std::vector<short> Load(const std::string& name, int target, int& count)
    {
        short* buffer = untouched;
        count = LoadWave(dir.Path(name).c_str(), &buffer, target);
        if (count == 0) {
            EXPECT_EQ(buffer, untouched) << "the caller's pointer changed on failure";
            return {};
        }
        std::vector<short> samples(buffer, buffer + count);
        delete[] buffer;
        return samples;
    }

    std::vector<short> Load(const std::string& name, int target = 15000)
    {
        int count = 0;
        return Load(name, target, count);
    }
};

}  // namespace

TEST_F(WaveLoader, NormalisesToTheTargetWithTruncation)
{
    WriteWav(dir.Path("a.wav"), {100, -200, 50});
    EXPECT_EQ(Load("a.wav", 15000), (std::vector<short>{7500, -15000, 3750}));
    WriteWav(dir.Path("b.wav"), {3, -7});
    EXPECT_EQ(Load("b.wav", 5000), (std::vector<short>{2142, -5000}));
    WriteWav(dir.Path("c.wav"), {-3, 7});
    EXPECT_EQ(Load("c.wav", 5000), (std::vector<short>{-2142, 5000}));
    WriteWav(dir.Path("d.wav"), {-32768, 16384});
    EXPECT_EQ(Load("d.wav", 10000), (std::vector<short>{-10000, 5000}));
    // All zero: no division by the peak, the silence loads with its count.
    WriteWav(dir.Path("zero.wav"), {0, 0, 0, 0});
    EXPECT_EQ(Load("zero.wav"), (std::vector<short>{0, 0, 0, 0}));
    EXPECT_TRUE(reports.messages.empty());
}

TEST_F(WaveLoader, TakesTheFirstChannelOfEachFrame)
{
    WriteWav(dir.Path("stereo.wav"), {10, 99, -20, 99, 40, -99}, 2);
    EXPECT_EQ(Load("stereo.wav", 400), (std::vector<short>{100, -200, 400}));
    WriteWav(dir.Path("three.wav"), {10, 99, 99, -20, 99, 99, 40, -99, -99}, 3);
    EXPECT_EQ(Load("three.wav", 400), (std::vector<short>{100, -200, 400}));
    // Frames wider than the loader's reading piece.
    std::vector<short> wide(3 * 6000, 7);
    wide[0] = 10, wide[6000] = -20, wide[12000] = 40;
    WriteWav(dir.Path("wide.wav"), wide, 6000);
    EXPECT_EQ(Load("wide.wav", 400), (std::vector<short>{100, -200, 400}));
}

TEST_F(WaveLoader, SkipsOtherChunksIncludingTheirPadByte)
{
    RiffBuilder before = RiffBuilder::Header();
    before.Text("LIST").U32(4).Text("INFO").Format(1, 44100, 16).Text("data").U32(4).Samples({1, -2});
    before.Save(dir.Path("before.wav"));
    EXPECT_EQ(Load("before.wav", 100), (std::vector<short>{50, -100}));

    // An odd-sized chunk between "fmt " and "data", and a "data" chunk before
    // "fmt " that is skipped like any other.
    RiffBuilder odd = RiffBuilder::Header();
    odd.Text("data").U32(2).U16(7).Format(1, 44100, 16, true).Text("LIST").U32(3);
    odd.bytes.insert(odd.bytes.end(), {'a', 'b', 'c', 0});
    odd.Text("data").U32(6).Samples({1, 2, -4});
    odd.Save(dir.Path("odd.wav"));
    EXPECT_EQ(Load("odd.wav", 100), (std::vector<short>{25, 50, -100}));
    EXPECT_TRUE(reports.messages.empty());
}

TEST_F(WaveLoader, TruncatedDataLoadsWhatTheFileHolds)
{
    RiffBuilder claimsMore = RiffBuilder::Header();
    claimsMore.Format(1, 44100, 16).Text("data").U32(0xFFFFFFF0u).Samples({5, -10, 20});
    claimsMore.bytes.push_back(0x7F);  // half a sample
    claimsMore.Save(dir.Path("short.wav"));
    int count = 0;
    EXPECT_EQ(Load("short.wav", 20, count), (std::vector<short>{5, -10, 20}));
    EXPECT_EQ(count, 3);

    RiffBuilder empty = RiffBuilder::Header();
    empty.Format(2, 44100, 16).Text("data").U32(2).U16(1);  // less than one frame
    empty.Save(dir.Path("empty.wav"));
    EXPECT_EQ(Load("empty.wav", 20, count), std::vector<short>{});
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(reports.messages.empty());
}

TEST_F(WaveLoader, RefusalsAndTheirMessages)
{
    const auto expectRefused = [&](const std::string& name, const std::string& message) {
        reports.messages.clear();
        int count = -1;
        Load(name, 15000, count);
        EXPECT_EQ(count, 0) << name;
        if (message.empty())
            EXPECT_TRUE(reports.messages.empty()) << name;
        else
            EXPECT_EQ(reports.messages, std::vector<std::string>{message + " '" + dir.Path(name).string() + "'"});
    };

    expectRefused("missing.wav", "Unable to open");
    std::filesystem::create_directory(dir.Path("folder.wav"));
    expectRefused("folder.wav", "Unable to open");

    RiffBuilder notRiff;
    notRiff.Text("RIFX").U32(0).Text("WAVE");
    notRiff.Save(dir.Path("rifx.wav"));
    expectRefused("rifx.wav", "Not WAV format");
    RiffBuilder cut;
    cut.Text("RIFF").U16(0);
    cut.Save(dir.Path("cut.wav"));
    expectRefused("cut.wav", "Not WAV format");

    RiffBuilder longFormat = RiffBuilder::Header();
    longFormat.Text("fmt ").U32(40);
    longFormat.bytes.resize(longFormat.bytes.size() + 40);
    longFormat.Text("data").U32(0);
    longFormat.Save(dir.Path("fmt40.wav"));
    expectRefused("fmt40.wav", "Not WAV format");

    RiffBuilder shortFormat = RiffBuilder::Header();
    shortFormat.Text("fmt ").U32(8).U16(1).U16(1).U32(44100).Text("data").U32(2).U16(1);
    shortFormat.Save(dir.Path("fmt8.wav"));
    expectRefused("fmt8.wav", "Not WAV format");

    RiffBuilder cutFormat = RiffBuilder::Header();
    cutFormat.Text("fmt ").U32(16).U16(1).U16(1);
    cutFormat.Save(dir.Path("fmtcut.wav"));
    expectRefused("fmtcut.wav", "Not WAV format");

    RiffBuilder noChannels = RiffBuilder::Header();
    noChannels.Format(0, 44100, 16).Text("data").U32(4).U32(0);
    noChannels.Save(dir.Path("nochannels.wav"));
    expectRefused("nochannels.wav", "Not WAV format");

    RiffBuilder farChunk = RiffBuilder::Header();
    farChunk.Text("LIST").U32(0x7FFFFFF0u).Format(1, 44100, 16);
    farChunk.Save(dir.Path("far.wav"));
    expectRefused("far.wav", "Not WAV format");

    RiffBuilder rate = RiffBuilder::Header();
    rate.Format(1, 48000, 16).Text("data").U32(2).U16(1);
    rate.Save(dir.Path("48k.wav"));
    expectRefused("48k.wav", "Not 44.1KHz 16bit");
    RiffBuilder bits = RiffBuilder::Header();
    bits.Format(1, 44100, 8).Text("data").U32(2).U16(1);
    bits.Save(dir.Path("8bit.wav"));
    expectRefused("8bit.wav", "Not 44.1KHz 16bit");

    // Silent failures: no "fmt " chunk, or no "data" chunk after it.
    RiffBuilder noFormat = RiffBuilder::Header();
    noFormat.Text("data").U32(2).U16(1);
    noFormat.Save(dir.Path("nofmt.wav"));
    expectRefused("nofmt.wav", "");
    RiffBuilder noData = RiffBuilder::Header();
    noData.Format(1, 44100, 16);
    noData.Save(dir.Path("nodata.wav"));
    expectRefused("nodata.wav", "");
}
