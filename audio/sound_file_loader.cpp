#include "sound_file_loader.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int kRate = 44100;
constexpr sf_count_t kPieceFrames = 1 << 15;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

std::string Named(const std::string& path, const std::string& reason)
{
    return "'" + path + "' cannot be used: " + reason;
}

}  // namespace

bool LoadSoundFile(const std::string& path, int targetPeak, LoadedSound& sound, std::string& error,
                   const LoadProgress& progress)
{
    SF_INFO info{};
    const SndFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = Named(path, sf_strerror(nullptr));
        return false;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        error = Named(path, "it declares " + std::to_string(info.channels) + " channels at " +
                                std::to_string(info.samplerate) + " Hz");
        return false;
    }

    // Mixed down to mono while reading, piece by piece.
    // Not reserved from the frame count: a damaged header may claim any length.
    std::vector<float> mono;
    std::vector<float> piece(static_cast<std::size_t>(kPieceFrames * info.channels));
    for (;;) {
        const sf_count_t read = sf_readf_float(file.get(), piece.data(), kPieceFrames);
        if (read <= 0)
            break;
        for (sf_count_t frame = 0; frame < read; ++frame) {
            float sum = 0.0f;
            for (int channel = 0; channel < info.channels; ++channel)
                sum += piece[static_cast<std::size_t>(frame * info.channels + channel)];
            mono.push_back(sum / static_cast<float>(info.channels));
        }
        if (progress && info.frames > 0 && !progress(static_cast<double>(mono.size()) / static_cast<double>(info.frames))) {
            error = Named(path, "loading was stopped");
            return false;
        }
    }
    if (mono.empty()) {
        error = Named(path, "it holds no sound");
        return false;
    }

    std::vector<float> resampled;
    if (info.samplerate == kRate) {
        resampled = std::move(mono);
    } else {
        const double ratio = static_cast<double>(kRate) / info.samplerate;
        resampled.resize(static_cast<std::size_t>(std::ceil(static_cast<double>(mono.size()) * ratio)) + 16);
        std::size_t produced = 0;
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_io_spec_t formats = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_error_t failed = soxr_oneshot(info.samplerate, kRate, 1, mono.data(), mono.size(), nullptr,
                                                 resampled.data(), resampled.size(), &produced, &formats, &quality,
                                                 nullptr);
        if (failed) {
            error = Named(path, "resampling from " + std::to_string(info.samplerate) + " Hz to 44100 Hz failed: " +
                                    failed);
            return false;
        }
        resampled.resize(produced);
    }

    float loudest = 0.0f;
    for (float value : resampled)
        loudest = std::max(loudest, std::abs(value));
    if (!(loudest > 0.0f)) {
        error = Named(path, "it is silent");
        return false;
    }
    const float scale = static_cast<float>(targetPeak) / loudest;
    sound.samples.resize(resampled.size());
    for (std::size_t i = 0; i < resampled.size(); ++i)
        sound.samples[i] = static_cast<short>(std::lround(resampled[i] * scale));
    sound.sourceRate = info.samplerate;
    sound.sourceChannels = info.channels;
    return true;
}
