#include "wav_file_writer.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

void PutLittleEndian(unsigned char* bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

// The canonical 44-byte header of a PCM file; a float file's fmt chunk has
// the extension size and a fact chunk with the length, 58 bytes in all.
void CWavFileWriter::MakeHeader(unsigned char* header) const
{
    const bool pcm = m_format == Format::Pcm16;
    const auto bytesPerSample = static_cast<std::uint32_t>(BytesPerSample());
    const auto dataBytes = static_cast<std::uint32_t>(bytesPerSample * m_samples);
    const std::uint32_t size = static_cast<std::uint32_t>(HeaderSize());
    std::memcpy(header, "RIFF", 4);
    PutLittleEndian(header + 4, size - 8 + dataBytes, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLittleEndian(header + 16, pcm ? 16 : 18, 4);
    PutLittleEndian(header + 20, pcm ? 1 : 3, 2);  // PCM, IEEE float
    const auto frameBytes = static_cast<std::uint32_t>(bytesPerSample * m_channels);
    PutLittleEndian(header + 22, static_cast<std::uint32_t>(m_channels), 2);
    PutLittleEndian(header + 24, 44100, 4);
    PutLittleEndian(header + 28, 44100 * frameBytes, 4);      // bytes per second
    PutLittleEndian(header + 32, frameBytes, 2);              // block align
    PutLittleEndian(header + 34, 8 * bytesPerSample, 2);      // bits per sample
    unsigned char* data = header + 36;
    if (!pcm) {
        PutLittleEndian(header + 36, 0, 2);  // no extension
        std::memcpy(header + 38, "fact", 4);
        PutLittleEndian(header + 42, 4, 4);
        PutLittleEndian(header + 46, static_cast<std::uint32_t>(m_samples / m_channels), 4);  // frames
        data = header + 50;
    }
    std::memcpy(data, "data", 4);
    PutLittleEndian(data + 4, dataBytes, 4);
}

long long CWavFileWriter::MaxFrames() const
{
    // The RIFF size counts all but its first 8 bytes.
    const long long largest = 0xFFFFFFFFLL - (HeaderSize() - 8);
    return largest / (static_cast<long long>(BytesPerSample()) * m_channels);
}

bool CWavFileWriter::Fits(int count) const
{
    return (m_samples + static_cast<unsigned long long>(count)) / static_cast<unsigned long long>(m_channels) <=
           static_cast<unsigned long long>(MaxFrames());
}

CWavFileWriter::~CWavFileWriter()
{
    Abandon();
}

bool CWavFileWriter::Open(const std::string& path, std::string& error)
{
    m_path = path;
    m_tempPath = path + ".partial";
    m_samples = 0;
    m_file = std::fopen(m_tempPath.c_str(), "wb");
    unsigned char header[58];
    MakeHeader(header);
    const auto size = static_cast<std::size_t>(HeaderSize());
    if (!m_file || std::fwrite(header, 1, size, m_file) != size) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        Abandon();
        return false;
    }
    return true;
}

bool CWavFileWriter::Write(const short* samples, int count)
{
    if (!Fits(count))
        return false;
    unsigned char bytes[2 * 4096];
    for (int done = 0; done < count;) {
        const int piece = count - done < 4096 ? count - done : 4096;
        for (int i = 0; i < piece; ++i)
            PutLittleEndian(bytes + 2 * i, static_cast<std::uint16_t>(samples[done + i]), 2);
        if (std::fwrite(bytes, 2, static_cast<std::size_t>(piece), m_file) != static_cast<std::size_t>(piece))
            return false;
        done += piece;
    }
    m_samples += static_cast<unsigned long long>(count);
    return true;
}

bool CWavFileWriter::Write(const float* samples, int count)
{
    if (!Fits(count))
        return false;
    unsigned char bytes[4 * 4096];
    for (int done = 0; done < count;) {
        const int piece = count - done < 4096 ? count - done : 4096;
        for (int i = 0; i < piece; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, samples + done + i, 4);
            PutLittleEndian(bytes + 4 * i, bits, 4);
        }
        if (std::fwrite(bytes, 4, static_cast<std::size_t>(piece), m_file) != static_cast<std::size_t>(piece))
            return false;
        done += piece;
    }
    m_samples += static_cast<unsigned long long>(count);
    return true;
}

bool CWavFileWriter::Commit(std::string& error)
{
    unsigned char header[58];
    MakeHeader(header);
    const auto size = static_cast<std::size_t>(HeaderSize());
    bool written = std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, size, m_file) == size;
    written = std::fclose(m_file) == 0 && written;
    m_file = nullptr;
    std::error_code renameError;
    if (written)
        std::filesystem::rename(m_tempPath, m_path, renameError);
    if (!written || renameError) {
        error = "cannot write '" + m_path + "': " + (written ? renameError.message() : std::strerror(errno));
        Abandon();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void CWavFileWriter::Abandon()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        std::remove(m_tempPath.c_str());
        m_tempPath.clear();
    }
}
