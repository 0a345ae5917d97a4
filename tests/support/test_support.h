#pragma once

#include "report.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path Path(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Collects what goes through the failure reporting hook while it lives.
class ReportRecorder {
public:
    ReportRecorder();
    ~ReportRecorder();
    std::vector<std::string> messages;

private:
    ReportHook m_previous;
};

// Builds RIFF files byte by byte.
struct RiffBuilder {
    std::vector<unsigned char> bytes;

    RiffBuilder& Text(const char* text);  // four characters
    RiffBuilder& U16(std::uint16_t value);
    RiffBuilder& U32(std::uint32_t value);
    RiffBuilder& Samples(const std::vector<short>& samples);
    // "RIFF", a size, "WAVE".
    static RiffBuilder Header();
    // A complete "fmt " chunk of 16 bytes (or 18 with the extra size).
    RiffBuilder& Format(int channels, int rate, int bits, bool withExtraSize = false);
    void Save(const std::filesystem::path& path) const;
};

// A plain 44.1 kHz 16-bit file with the given channel count.
void WriteWav(const std::filesystem::path& path, const std::vector<short>& samples, int channels = 1);

// As WriteWav, with a header that declares `rate` samples per second.
void WriteWavDeclaringRate(const std::filesystem::path& path, const std::vector<short>& samples, int rate);

// The samples of a 44.1 kHz 16-bit mono file written by WriteWav or by the
// render tool; fails the test on anything else.
std::vector<short> ReadMonoWav(const std::filesystem::path& path);
// The same for a file of `channels` channels: the samples interleaved.
std::vector<short> ReadWav(const std::filesystem::path& path, int channels);
// A stereo file's two channels.
void ReadStereoWav(const std::filesystem::path& path, std::vector<short>& left, std::vector<short>& right);

// Runs `program` with `arguments` (shell words) in `dir`, its standard output
// to stdout.txt and its standard error to stderr.txt there; its exit
// status, or -1 when it did not exit.
int RunTool(const TempDir& dir, const std::string& program, const std::string& arguments);

// A text file's whole content; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// A new[] buffer with the given samples, as the source bank owns them.
short* NewSamples(const std::vector<short>& samples);
