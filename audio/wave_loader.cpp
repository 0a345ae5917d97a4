#include "wave_loader.h"

#include "report.h"
#include "sample_arithmetic.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

#ifdef _WIN32
int SeekFile(std::FILE* file, std::int64_t offset, int origin) { return _fseeki64(file, offset, origin); }
std::int64_t TellFile(std::FILE* file) { return _ftelli64(file); }
#else
int SeekFile(std::FILE* file, std::int64_t offset, int origin) { return fseeko(file, offset, origin); }
std::int64_t TellFile(std::FILE* file) { return ftello(file); }
#endif

// The loader's own failures: most are shown to the user, some are silent.
enum class Failure { None, NotWav, WrongFormat, Silent };

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A read that comes up short because the file ends is part of the format
// checks; an error the system reports ends the load silently.
Failure ReadExact(std::FILE* file, void* data, std::size_t size, Failure onShort)
{
    if (std::fread(data, 1, size, file) == size)
        return Failure::None;
    return std::ferror(file) ? Failure::Silent : onShort;
}

std::uint32_t LittleEndian32(const unsigned char* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint16_t LittleEndian16(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

Failure ReadU32(std::FILE* file, std::uint32_t& value, Failure onShort)
{
    unsigned char bytes[4];
    const Failure failure = ReadExact(file, bytes, 4, onShort);
    value = LittleEndian32(bytes);
    return failure;
}

// RIFF pads a chunk of odd size with one byte that its size does not count.
std::int64_t PaddedSize(std::uint32_t size)
{
    return static_cast<std::int64_t>(size) + (size & 1);
}

Failure SkipBytes(std::FILE* file, std::int64_t count)
{
    const std::int64_t position = TellFile(file);
    if (position < 0)
        return Failure::Silent;
    // Positions at 2 GiB or beyond are not supported.
    if (position + count > INT32_MAX)
        return Failure::NotWav;
    return SeekFile(file, count, SEEK_CUR) == 0 ? Failure::None : Failure::Silent;
}

// Reads chunk ids, skipping whole chunks, until `id`; its size is not read.
Failure FindChunk(std::FILE* file, const char* id)
{
    for (;;) {
        char found[4];
        if (Failure failure = ReadExact(file, found, 4, Failure::Silent); failure != Failure::None)
            return failure;
        if (std::memcmp(found, id, 4) == 0)
            return Failure::None;
        std::uint32_t size = 0;
        if (Failure failure = ReadU32(file, size, Failure::Silent); failure != Failure::None)
            return failure;
        if (Failure failure = SkipBytes(file, PaddedSize(size)); failure != Failure::None)
            return failure;
    }
}

struct WaveFormat {
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint16_t bitsPerSample = 0;
};

Failure ReadFormatChunk(std::FILE* file, WaveFormat& format)
{
    std::uint32_t size = 0;
    if (Failure failure = ReadU32(file, size, Failure::NotWav); failure != Failure::None)
        return failure;
    // Below 16 bytes the record lacks the rate or the sample size.
    if (size < 16 || size > 18)
        return Failure::NotWav;
    unsigned char record[18];
    if (Failure failure = ReadExact(file, record, size, Failure::NotWav); failure != Failure::None)
        return failure;
    format.channels = LittleEndian16(record + 2);
    format.samplesPerSecond = LittleEndian32(record + 4);
    format.bitsPerSample = LittleEndian16(record + 14);
    if (format.channels == 0)
        return Failure::NotWav;
    return SkipBytes(file, size & 1);
}

std::int64_t BytesLeft(std::FILE* file)
{
    const std::int64_t position = TellFile(file);
    if (position < 0 || SeekFile(file, 0, SEEK_END) != 0)
        return -1;
    const std::int64_t end = TellFile(file);
    if (end < 0 || SeekFile(file, position, SEEK_SET) != 0)
        return -1;
    return end > position ? end - position : 0;
}

// Reads `count` frames and keeps the first channel of each.
bool ReadFirstChannel(std::FILE* file, short* samples, int count, int frameBytes)
{
    const int framesPerPiece = frameBytes < 8192 ? 8192 / frameBytes : 1;
    std::vector<unsigned char> piece(static_cast<std::size_t>(framesPerPiece) * frameBytes);
    for (int done = 0; done < count;) {
        const int frames = count - done < framesPerPiece ? count - done : framesPerPiece;
        const std::size_t bytes = static_cast<std::size_t>(frames) * frameBytes;
        const std::size_t got = std::fread(piece.data(), 1, bytes, file);
        if (got < bytes && std::ferror(file))
            return false;
        const int whole = static_cast<int>(got / frameBytes);
        for (int i = 0; i < whole; ++i)
            samples[done + i] = static_cast<short>(LittleEndian16(&piece[static_cast<std::size_t>(i) * frameBytes]));
        if (whole < frames)
            return true;  // the file ended early: the rest stays silent
        done += frames;
    }
    return true;
}

void Normalise(short* samples, int count, int target)
{
    int peak = 0;
    for (int i = 0; i < count; ++i) {
        const int magnitude = samples[i] < 0 ? -samples[i] : samples[i];
        if (magnitude > peak)
            peak = magnitude;
    }
    if (peak == 0)
        return;  // silence stays silence
    for (int i = 0; i < count; ++i) {
        const long long scaled = static_cast<long long>(samples[i]) * target / peak;
        samples[i] = SaturateToSample(static_cast<int>(scaled));
    }
}

Failure Load(std::FILE* file, short** buffer, int target, int& count)
{
    char header[12];
    if (Failure failure = ReadExact(file, header, 12, Failure::NotWav); failure != Failure::None)
        return failure;
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return Failure::NotWav;

    WaveFormat format;
    if (Failure failure = FindChunk(file, "fmt "); failure != Failure::None)
        return failure;
    if (Failure failure = ReadFormatChunk(file, format); failure != Failure::None)
        return failure;
    if (Failure failure = FindChunk(file, "data"); failure != Failure::None)
        return failure;
    std::uint32_t dataSize = 0;
    if (Failure failure = ReadU32(file, dataSize, Failure::Silent); failure != Failure::None)
        return failure;
    if (format.bitsPerSample != 16 || format.samplesPerSecond != 44100)
        return Failure::WrongFormat;

    // Trust the file's length over a data size that claims more than it holds.
    const std::int64_t available = BytesLeft(file);
    if (available < 0)
        return Failure::Silent;
    const std::int64_t bytes = dataSize < available ? dataSize : available;
    const int frameBytes = 2 * format.channels;
    count = static_cast<int>(bytes / frameBytes);
    if (count == 0)
        return Failure::None;

    std::unique_ptr<short[]> samples(new (std::nothrow) short[count]());
    if (!samples || !ReadFirstChannel(file, samples.get(), count, frameBytes)) {
        count = 0;
        return Failure::Silent;
    }
    Normalise(samples.get(), count, target);
    *buffer = samples.release();
    return Failure::None;
}

}  // namespace

int LoadWave(const char* path, short** buffer, int target)
{
    std::error_code error;
    FilePtr file(std::filesystem::is_directory(path, error) ? nullptr : std::fopen(path, "rb"));
    if (!file) {
        ReportFailure("Unable to open '" + std::string(path) + "'");
        return 0;
    }
    int count = 0;
    switch (Load(file.get(), buffer, target, count)) {
    case Failure::None:
        return count;
    case Failure::NotWav:
        ReportFailure("Not WAV format '" + std::string(path) + "'");
        return 0;
    case Failure::WrongFormat:
        ReportFailure("Not 44.1KHz 16bit '" + std::string(path) + "'");
        return 0;
    case Failure::Silent:
        break;
    }
    return 0;
}
