#include "sound_file_loader.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>

namespace {

constexpr int kRate = 44100;
constexpr sf_count_t kPieceFrames = 1 << 15;
constexpr std::size_t kResamplePiece = 1 << 15;  // input samples per resampling step

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

struct SoxrDeleter {
    void operator()(soxr_t resampler) const { soxr_delete(resampler); }
};
using Resampler = std::unique_ptr<std::remove_pointer_t<soxr_t>, SoxrDeleter>;

bool LengthDeclared(const SF_INFO& info)
{
    return info.frames >= 0 && info.frames < SF_COUNT_MAX;
}

std::string Named(const std::string& path, const std::string& reason)
{
    return "'" + path + "' cannot be used: " + reason;
}

std::string LengthLimit()
{
    return "a recording may last at most " + std::to_string(kMaxOwnRecordingSeconds / 60) + " minutes";
}

// Reads the file mixed down to mono, piece by piece; progress runs from 0 to
// `progressEnd`. False with the reason.
bool ReadMono(SNDFILE* file, const SF_INFO& info, std::vector<float>& mono, double progressEnd,
              const LoadProgress& progress, std::string& reason, SoundFileProblem& problem)
{
    const long long mostFrames = static_cast<long long>(info.samplerate) * kMaxOwnRecordingSeconds;
    // Not reserved from the frame count: a damaged header may claim any length.
    std::vector<float> piece(static_cast<std::size_t>(kPieceFrames * info.channels));
    for (;;) {
        const sf_count_t read = sf_readf_float(file, piece.data(), kPieceFrames);
        if (read <= 0)
            return true;
        if (static_cast<long long>(mono.size()) + read > mostFrames) {
            reason = "it is longer than " + LengthLimit();
            problem = SoundFileProblem::TooLong;
            return false;
        }
        for (sf_count_t frame = 0; frame < read; ++frame) {
            float sum = 0.0f;
            for (int channel = 0; channel < info.channels; ++channel)
                sum += piece[static_cast<std::size_t>(frame * info.channels + channel)];
            if (!std::isfinite(sum)) {
                reason = "it holds samples that are not finite numbers (infinite or NaN) after " +
                         std::to_string(mono.size()) + " frames";
                problem = SoundFileProblem::Damaged;
                return false;
            }
            mono.push_back(sum / static_cast<float>(info.channels));
        }
        // A stream of unknown length reports no share, but can still be stopped.
        const double share =
            info.frames > 0 ? std::min(1.0, static_cast<double>(mono.size()) / static_cast<double>(info.frames)) : 0.0;
        if (progress && !progress(progressEnd * share)) {
            reason = "loading was stopped";
            problem = SoundFileProblem::Stopped;
            return false;
        }
    }
}

// Resamples to 44100 Hz a piece at a time, so that it can be stopped;
// progress runs from `progressStart` to 1.
bool Resample(const std::vector<float>& mono, int rate, std::vector<float>& resampled, double progressStart,
              const LoadProgress& progress, std::string& reason, SoundFileProblem& problem)
{
    const double ratio = static_cast<double>(kRate) / rate;
    resampled.resize(static_cast<std::size_t>(std::ceil(static_cast<double>(mono.size()) * ratio)) + 16);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_io_spec_t formats = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    soxr_error_t failed = nullptr;
    const Resampler resampler(soxr_create(rate, kRate, 1, &failed, &formats, &quality, nullptr));
    std::size_t consumed = 0;
    std::size_t produced = 0;
    while (!failed) {
        const std::size_t take = std::min(kResamplePiece, mono.size() - consumed);
        const bool last = take == 0;  // a null input flushes what the filter holds
        std::size_t used = 0;
        std::size_t done = 0;
        failed = soxr_process(resampler.get(), last ? nullptr : mono.data() + consumed, take, &used,
                              resampled.data() + produced, resampled.size() - produced, &done);
        consumed += used;
        produced += done;
        if (last && done == 0)
            break;
        if (produced == resampled.size())
            break;  // the room given holds the whole recording and more
        if (progress && !progress(progressStart + (1.0 - progressStart) * static_cast<double>(consumed) /
                                                      static_cast<double>(mono.size()))) {
            reason = "loading was stopped";
            problem = SoundFileProblem::Stopped;
            return false;
        }
    }
    if (failed) {
        reason = "resampling from " + std::to_string(rate) + " Hz to 44100 Hz failed: " + failed;
        problem = SoundFileProblem::Damaged;
        return false;
    }
    resampled.resize(produced);
    return true;
}

}  // namespace

bool LoadSoundFile(const std::string& path, int targetPeak, LoadedSound& sound, std::string& error,
                   const LoadProgress& progress, SoundFileRefusal* refusal)
{
    const auto refuse = [&](SoundFileProblem problem, const std::string& reason) {
        error = Named(path, reason);
        if (refusal)
            *refusal = {problem, reason};
        return false;
    };
    SoundFileProblem kind = SoundFileProblem::None;
    SF_INFO info{};
    const SndFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        return refuse(SoundFileProblem::Unreadable, sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > kMaxOwnRecordingChannels || info.samplerate < kLowestOwnRecordingRate ||
        info.samplerate > kHighestOwnRecordingRate) {
        sound.sourceRate = info.samplerate;
        sound.sourceChannels = info.channels;
        return refuse(SoundFileProblem::Layout,
                      "it declares " + std::to_string(info.channels) + " channels at " +
                          std::to_string(info.samplerate) + " Hz; a recording may have 1 to " +
                          std::to_string(kMaxOwnRecordingChannels) + " channels at " +
                          std::to_string(kLowestOwnRecordingRate) + " to " + std::to_string(kHighestOwnRecordingRate) +
                          " Hz");
    }
    // A stream that does not say how long it is (a FLAC written as it was
    // recorded) declares SF_COUNT_MAX: it is bounded while it is read.
    if (!LengthDeclared(info))
        info.frames = 0;
    if (info.frames > static_cast<sf_count_t>(info.samplerate) * kMaxOwnRecordingSeconds) {
        const sf_count_t seconds = (info.frames + info.samplerate - 1) / info.samplerate;
        return refuse(SoundFileProblem::TooLong,
                      "it declares " + std::to_string(seconds) + " seconds; " + LengthLimit());
    }

    const bool resampling = info.samplerate != kRate;
    std::vector<float> mono;
    std::string reason;
    if (!ReadMono(file.get(), info, mono, resampling ? 0.5 : 1.0, progress, reason, kind))
        return refuse(kind, reason);
    if (mono.empty()) {
        return refuse(SoundFileProblem::NoSound, "it holds no sound");
    }

    std::vector<float> resampled;
    if (!resampling)
        resampled = std::move(mono);
    else if (!Resample(mono, info.samplerate, resampled, 0.5, progress, reason, kind))
        return refuse(kind, reason);

    float loudest = 0.0f;
    for (float value : resampled)
        loudest = std::max(loudest, std::abs(value));
    if (!(loudest > 0.0f)) {
        return refuse(SoundFileProblem::Silent, "it is silent");
    }
    const float scale = static_cast<float>(targetPeak) / loudest;
    // A peak so far below any sound (about 1e-34) would need a scale beyond
    // the largest float: that is silence too.
    if (!std::isfinite(scale)) {
        return refuse(SoundFileProblem::Silent, "it is silent");
    }
    sound.samples.resize(resampled.size());
    for (std::size_t i = 0; i < resampled.size(); ++i)
        sound.samples[i] = static_cast<short>(std::lround(resampled[i] * scale));
    sound.sourceRate = info.samplerate;
    sound.sourceChannels = info.channels;
    if (progress)
        progress(1.0);
    return true;
}
