#pragma once

#include <cstdio>
#include <string>

// Writes a 44100 Hz 16-bit mono WAV file through a temporary file beside it,
// so that a failed or abandoned write leaves no partial file behind.
class CWavFileWriter {
public:
    CWavFileWriter() = default;
    ~CWavFileWriter();
    CWavFileWriter(const CWavFileWriter&) = delete;
    CWavFileWriter& operator=(const CWavFileWriter&) = delete;

    // Starts the temporary file. False with a message in `error` on failure.
    bool Open(const std::string& path, std::string& error);
    bool Write(const short* samples, int count);
    // Completes the header and puts the file in its place.
    bool Commit(std::string& error);
    // Removes the temporary file.
    void Abandon();

private:
    std::string m_path;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    unsigned long long m_samples = 0;
};
