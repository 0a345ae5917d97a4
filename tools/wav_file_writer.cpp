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

// The canonical 44-byte header of a PCM file.
void MakeHeader(unsigned char* header, std::uint32_t dataBytes)
{
    std::memcpy(header, "RIFF", 4);
    PutLittleEndian(header + 4, 36 + dataBytes, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLittleEndian(header + 16, 16, 4);
    PutLittleEndian(header + 20, 1, 2);       // PCM
    PutLittleEndian(header + 22, 1, 2);       // mono
    PutLittleEndian(header + 24, 44100, 4);
    PutLittleEndian(header + 28, 88200, 4);   // bytes per second
    PutLittleEndian(header + 32, 2, 2);       // block align
    PutLittleEndian(header + 34, 16, 2);      // bits per sample
    std::memcpy(header + 36, "data", 4);
    PutLittleEndian(header + 40, dataBytes, 4);
}

}  // namespace

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
    unsigned char header[44];
    MakeHeader(header, 0);
    if (!m_file || std::fwrite(header, 1, sizeof header, m_file) != sizeof header) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        Abandon();
        return false;
    }
    return true;
}

bool CWavFileWriter::Write(const short* samples, int count)
{
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

bool CWavFileWriter::Commit(std::string& error)
{
    unsigned char header[44];
    MakeHeader(header, static_cast<std::uint32_t>(2 * m_samples));
    bool written = std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof header, m_file) == sizeof header;
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
