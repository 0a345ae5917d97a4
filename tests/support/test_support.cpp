#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/wait.h>

TempDir::TempDir()
{
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("sonafel-test-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

ReportRecorder::ReportRecorder()
{
    m_previous = SetReportHook([this](const std::string& message) { messages.push_back(message); });
}

ReportRecorder::~ReportRecorder()
{
    SetReportHook(m_previous);
}

RiffBuilder& RiffBuilder::Text(const char* text)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(text[i]));
    return *this;
}

RiffBuilder& RiffBuilder::U16(std::uint16_t value)
{
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
    return *this;
}

RiffBuilder& RiffBuilder::U32(std::uint32_t value)
{
    U16(static_cast<std::uint16_t>(value));
    return U16(static_cast<std::uint16_t>(value >> 16));
}

RiffBuilder& RiffBuilder::Samples(const std::vector<short>& samples)
{
    for (short sample : samples)
        U16(static_cast<std::uint16_t>(sample));
    return *this;
}

RiffBuilder RiffBuilder::Header()
{
    RiffBuilder builder;
    builder.Text("RIFF").U32(0).Text("WAVE");
    return builder;
}

RiffBuilder& RiffBuilder::Format(int channels, int rate, int bits, bool withExtraSize)
{
    Text("fmt ").U32(withExtraSize ? 18 : 16);
    U16(1).U16(static_cast<std::uint16_t>(channels)).U32(static_cast<std::uint32_t>(rate));
    U32(static_cast<std::uint32_t>(static_cast<long long>(rate) * channels * bits / 8));
    U16(static_cast<std::uint16_t>(channels * bits / 8)).U16(static_cast<std::uint16_t>(bits));
    if (withExtraSize)
        U16(0);
    return *this;
}

void RiffBuilder::Save(const std::filesystem::path& path) const
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteWav(const std::filesystem::path& path, const std::vector<short>& samples, int channels)
{
    RiffBuilder builder = RiffBuilder::Header();
    builder.Format(channels, 44100, 16).Text("data").U32(static_cast<std::uint32_t>(2 * samples.size())).Samples(samples);
    builder.Save(path);
}

void WriteWavDeclaringRate(const std::filesystem::path& path, const std::vector<short>& samples, int rate)
{
    WriteWav(path, samples);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(24);  // the rate in the "fmt " chunk, little-endian
    const char bytes[4] = {static_cast<char>(rate & 0xFF), static_cast<char>((rate >> 8) & 0xFF),
                           static_cast<char>((rate >> 16) & 0xFF), static_cast<char>((rate >> 24) & 0xFF)};
    file.write(bytes, 4);
}

std::vector<short> ReadMonoWav(const std::filesystem::path& path)
{
    return ReadWav(path, 1);
}

void ReadStereoWav(const std::filesystem::path& path, std::vector<short>& left, std::vector<short>& right)
{
    const std::vector<short> samples = ReadWav(path, 2);
    left.clear();
    right.clear();
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        left.push_back(samples[i]);
        right.push_back(samples[i + 1]);
    }
}

std::vector<short> ReadWav(const std::filesystem::path& path, int channels)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<short> samples;
    EXPECT_GE(bytes.size(), 44u) << path;
    if (bytes.size() < 44)
        return samples;
    EXPECT_EQ(0, std::memcmp(bytes.data(), "RIFF", 4));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(channels, bytes[22]);
    EXPECT_EQ(44100, bytes[24] | bytes[25] << 8);       // rate
    EXPECT_EQ(16, bytes[34]);                           // bits
    EXPECT_EQ(0, std::memcmp(bytes.data() + 36, "data", 4));
    const std::uint32_t size = bytes[40] | bytes[41] << 8 | bytes[42] << 16 | static_cast<std::uint32_t>(bytes[43]) << 24;
    EXPECT_EQ(size, bytes.size() - 44);
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<short>(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

int RunTool(const TempDir& dir, const std::string& program, const std::string& arguments)
{
    const std::string command = "cd '" + dir.Path("").string() + "' && '" + program + "' " + arguments + " > '" +
                                dir.Path("stdout.txt").string() + "' 2> '" + dir.Path("stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

short* NewSamples(const std::vector<short>& samples)
{
    short* buffer = new short[samples.size()];
    std::copy(samples.begin(), samples.end(), buffer);
    return buffer;
}
