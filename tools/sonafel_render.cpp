// sonafel-render: the demonstrator's engine without a window. Loads the
// recordings, sets the sliders, switches sources on and plays through a
// render device into a WAV file, with the program's own playback cycle.

#include "band_log.h"
#include "engine_setup.h"
#include "loss_processor.h"
#include "offline_playback.h"
#include "output_volume.h"
#include "render_options.h"
#include "sii_log.h"
#include "speech_meter.h"
#include "virtual_wave_out.h"
#include "wav_file_writer.h"

#include <unistd.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keeps every block's band levels and maximum for the band log, and its
// float samples (interleaved in stereo), when asked for, until they are played.
class CBandLoggingProcessor final : public CLossProcessor {
public:
    using CLossProcessor::CLossProcessor;
    std::vector<BandRow> m_rows;
    bool m_bKeepFloat = false;
    std::deque<float> m_floatQueued;

protected:
    void BlockProcessed() override
    {
        m_rows.push_back(MakeBandRow(m_dBandLevel, m_dMaxLevel, Stereo() ? RightBandLevel() : nullptr));
        if (!m_bKeepFloat || !FloatBlock())
            return;
        const float* const right = FloatBlockRight();
        for (int i = 0; i < kBlockOutput; ++i) {
            m_floatQueued.push_back(FloatBlock()[i]);
            if (right)
                m_floatQueued.push_back(right[i]);
        }
    }
};

// The float samples of what the device plays: the float path's own, or
// else the 16-bit samples as played; with the output volume unless exact.
void ToFloat(CBandLoggingProcessor& processor, const short* samples, int count, bool exact, float* out)
{
    if (processor.m_floatQueued.size() < static_cast<std::size_t>(count)) {
        for (int i = 0; i < count; ++i)
            out[i] = static_cast<float>(samples[i] / 32768.0);
        return;
    }
    // Both channels play at the same volume: the loudness sets both.
    const double volume = exact ? 1.0 : LeftVolume(OutputVolume()) / 65535.0;
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<float>(processor.m_floatQueued.front() * volume / 32768.0);
        processor.m_floatQueued.pop_front();
    }
}

class CProgressBar {
public:
    explicit CProgressBar(long long total) : m_total(total), m_shown(isatty(STDERR_FILENO) ? -1 : 101) {}
    ~CProgressBar()
    {
        if (m_shown <= 100)
            std::fputc('\n', stderr);
    }
    void Update(long long done)
    {
        const int percent = static_cast<int>(100 * done / m_total);
        if (m_shown > 100 || percent == m_shown)
            return;
        m_shown = percent;
        char bar[41];
        for (int i = 0; i < 40; ++i)
            bar[i] = i < percent * 40 / 100 ? '#' : '.';
        bar[40] = '\0';
        std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
        std::fflush(stderr);
    }

private:
    long long m_total;
    int m_shown;
};

int Fail(const std::string& message, int status)
{
    std::fprintf(stderr, "sonafel-render: %s\n", message.c_str());
    return status;
}

int Render(const RenderOptions& options)
{
    CSourceBank sources;
    LoadRecordings(options, sources);

    auto processor = std::make_unique<CBandLoggingProcessor>(sources);
    const auto blocksAhead = static_cast<std::size_t>(options.samples / CLossProcessor::kBlockOutput + 8);
    processor->m_rows.reserve(blocksAhead);
    // The index of what each block played, as the window shows it and over the whole so far.
    std::unique_ptr<CSpeechMeter> meter;
    std::vector<SiiLogRow> siiRows;
    if (!options.siiLogPath.empty()) {
        meter = std::make_unique<CSpeechMeter>(sources);
        siiRows.reserve(blocksAhead);
        processor->SetBlockListener([&] {
            meter->Measure(*processor);
            siiRows.push_back({meter->Recent().heard,
                               meter->Whole().heard,
                               {processor->EarChain(Ear::Left).ImplantStage().Active(),
                                processor->EarChain(Ear::Right).ImplantStage().Active()}});
        });
    }
    processor->m_bKeepFloat = options.floatOutput;
    SetUpAsTheUserWould(options, *processor);

    const int channels = processor->Stereo() ? 2 : 1;
    CWavFileWriter writer(options.floatOutput ? CWavFileWriter::Format::Float32 : CWavFileWriter::Format::Pcm16,
                          channels);
    if (options.samples > writer.MaxFrames()) {
        const long long seconds = writer.MaxFrames() / 44100;
        return Fail("'" + options.outputPath + "' cannot hold that length: a WAV file holds at most 4 GiB, " +
                        std::to_string(seconds) + " s of " + (options.floatOutput ? "float" : "16-bit") + " " +
                        (channels == 2 ? "stereo" : "mono") + " sound at 44100 Hz; ask for fewer seconds",
                    2);
    }
    std::string error;
    if (!writer.Open(options.outputPath, error))
        return Fail(error, 1);

    long long written = 0;
    bool writeFailed = false;
    CProgressBar progress(options.samples);
    CRenderWaveOut device(
        [&](const short* samples, int count) {
            const long long wanted = options.samples - written;
            const int frames = count / channels;
            const int take = wanted < frames ? static_cast<int>(wanted) : frames;
            if (options.floatOutput) {
                float floats[2 * CLossProcessor::kBlockOutput];
                ToFloat(*processor, samples, count, options.exact, floats);
                writeFailed = writeFailed || !writer.Write(floats, take * channels);
            } else {
                writeFailed = writeFailed || !writer.Write(samples, take * channels);
            }
            written += take;
            progress.Update(written);
        },
        !options.exact);
    RunOfflinePlayback(*processor, device, [&] { return written >= options.samples || writeFailed; });

    if (writeFailed || written < options.samples)
        return Fail("cannot write '" + options.outputPath + "'", 1);
    const auto blocks = static_cast<std::size_t>((written + CLossProcessor::kBlockOutput - 1) / CLossProcessor::kBlockOutput);
    if (!options.bandsPath.empty() && !WriteBandLog(options.bandsPath, processor->m_rows, blocks))
        return Fail("cannot write '" + options.bandsPath + "'", 1);
    if (!options.siiLogPath.empty() && !WriteSiiLog(options.siiLogPath, siiRows, blocks))
        return Fail("cannot write '" + options.siiLogPath + "'", 1);
    if (!writer.Commit(error))
        return Fail(error, 1);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sonafel-render: %s\n\n%s", error.c_str(), kRenderUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    if (AnswerQuestions(options, "sonafel-render", SONAFEL_VERSION))
        return 0;
    return Render(options);
}
