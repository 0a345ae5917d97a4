#pragma once

#include <cstdio>
#include <string>

// Writes a 44100 Hz WAV file, mono or stereo, 16-bit or 32-bit float, through a
// temporary file beside it, so that a failed or abandoned write leaves no
// partial file behind.
class CWavFileWriter {
public:
    enum class Format { Pcm16, Float32 };

    // Stereo samples come interleaved, left first.
    explicit CWavFileWriter(Format format = Format::Pcm16, int channels = 1) : m_format(format), m_channels(channels) {}
    ~CWavFileWriter();
    CWavFileWriter(const CWavFileWriter&) = delete;
    CWavFileWriter& operator=(const CWavFileWriter&) = delete;

    // The most frames the format can hold: its sizes are 32-bit, so the
    // whole file stays within 4 GiB.
    long long MaxFrames() const;

    // Starts the temporary file. False with a message in `error` on failure.
    bool Open(const std::string& path, std::string& error);
    bool Write(const short* samples, int count);
    // Float samples, full scale ±1, into a float file.
    bool Write(const float* samples, int count);
    // Completes the header and puts the file in its place.
    bool Commit(std::string& error);
    // Removes the temporary file.
    void Abandon();

private:
    int HeaderSize() const { return m_format == Format::Pcm16 ? 44 : 58; }
    int BytesPerSample() const { return m_format == Format::Pcm16 ? 2 : 4; }
    bool Fits(int count) const;
    void MakeHeader(unsigned char* header) const;

    Format m_format;
    int m_channels;
    std::string m_path;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    unsigned long long m_samples = 0;  // of all channels
};
