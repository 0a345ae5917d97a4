// sonafel-live: the live path without a window. With files it runs the
// path hop by hop, offline, from an input WAV file to an output WAV file;
// with a device it runs live for the time asked, from the default input to
// the default output (on a PipeWire desktop the server's own, through its
// JACK library). Prints the delay, and on a device the devices, the latency
// and the over- and underruns.
//
//   sonafel-live [--input-file IN.wav --output-file OUT.wav | --seconds S [--latency MS]
//                [--input-device D] [--output-device D]] [sonafel-render's options]
//   sonafel-live --list-devices

#include "band_log.h"
#include "engine_setup.h"
#include "live_duplex.h"
#include "live_engine.h"
#include "pipewire_route.h"
#include "sound_devices.h"
#include "sound_library.h"
#include "wav_file_writer.h"

#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr int kHop = CLossProcessor::kHop;
constexpr long long kMaxInputSamples = 12LL * 3600 * 44100;  // as sonafel-render's longest output

const char* const kUsage =
    "usage: sonafel-live [--input-file IN.wav --output-file OUT.wav | --seconds S [--latency MS]\n"
    "                    [--input-device D] [--output-device D]] [sonafel-render's options]\n"
    "       sonafel-live --list-devices\n"
    "\n"
    "Runs Sonafel's live path: sound hop by hop (128 samples) through the same loss as the\n"
    "recordings, with the options of sonafel-render (sliders, audiograms, ears, recruitment,\n"
    "listening level; --speech names the recording the listening level is measured on).\n"
    "  --input-file IN.wav --output-file OUT.wav  offline: a 44100 Hz 16-bit mono file in, a\n"
    "                   WAV file out (stereo when both ears are heard), what a listener hears\n"
    "                   (output volume included) unless --exact; --bands CSV writes the band\n"
    "                   log of every block the live path ends, as sonafel-render writes it\n"
    "  --seconds S      live from the default input to the default output for S seconds\n"
    "  --latency MS     ask the devices for MS milliseconds each (1 to 500; default: the\n"
    "                   lowest they offer)\n"
    "  --input-device D, --output-device D  live from and to these devices instead of the\n"
    "                   defaults, named as --list-devices shows them (\"host API: name\")\n"
    "  --list-devices   the devices of every host API, with the lowest latency each offers\n"
    "Prints the delay; live, also the latency and the over- and underruns.\n";

// The samples of a 44100 Hz mono 16-bit WAV file, exactly as stored.
bool ReadInput(const std::string& path, std::vector<short>& samples, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = "cannot read '" + path + "' (" + sf_strerror(nullptr) + ")";
        return false;
    }
    const bool usable = info.samplerate == 44100 && info.channels == 1 &&
                        (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 && info.frames <= kMaxInputSamples;
    if (usable) {
        samples.resize(static_cast<std::size_t>(info.frames));
        samples.resize(static_cast<std::size_t>(sf_read_short(file, samples.data(), info.frames)));
    } else {
        error = "'" + path + "' is not a 44100 Hz 16-bit mono WAV file of at most 12 hours (it has " +
                std::to_string(info.channels) + " channels at " + std::to_string(info.samplerate) + " Hz)";
    }
    sf_close(file);
    return usable;
}

void PrintDelay()
{
    std::printf("delay: %d samples (%.1f ms) from input to output, %d behind sonafel-render's output\n",
                CLossProcessor::kLiveDelay, 1000.0 * CLossProcessor::kLiveDelay / 44100,
                CLossProcessor::kLiveDelay - kHop);
}

// The engine with the processor's settings, as the window hands them over.
std::shared_ptr<CLiveEngine> EngineFor(const CLossProcessor& processor, const RenderOptions& options)
{
    auto engine = std::make_shared<CLiveEngine>(!options.exact);
    engine->Post(std::make_unique<CLiveSettings>(processor));
    return engine;
}

int RunFiles(const CLossProcessor& processor, const RenderOptions& options, std::vector<short> input,
             const std::string& outputPath)
{
    std::string error;
    const int channels = processor.Stereo() ? 2 : 1;
    CWavFileWriter writer(CWavFileWriter::Format::Pcm16, channels);
    if (!writer.Open(outputPath, error)) {
        std::fprintf(stderr, "sonafel-live: %s\n", error.c_str());
        return 1;
    }
    // The whole input comes out: the delay's worth of hops more.
    input.resize(input.size() + CLossProcessor::kLiveDelay, 0);
    const auto engine = EngineFor(processor, options);
    std::vector<BandRow> rows;
    short hop[kHop];
    short stereo[2 * kHop];
    bool written = true;
    for (std::size_t at = 0; at < input.size() && written; at += kHop) {
        const std::size_t take = std::min<std::size_t>(kHop, input.size() - at);
        std::fill(hop, hop + kHop, 0);
        std::copy(input.begin() + static_cast<std::ptrdiff_t>(at),
                  input.begin() + static_cast<std::ptrdiff_t>(at + take), hop);
        engine->ProcessHop(hop, stereo);
        LiveBands bands;
        if (!options.bandsPath.empty() && engine->LatestBands(bands))
            rows.push_back(MakeBandRow(bands.left, bands.maxLevel, bands.stereo ? bands.right : nullptr));
        if (channels == 1) {
            short mono[kHop];
            for (int i = 0; i < kHop; ++i)
                mono[i] = stereo[2 * i];
            written = writer.Write(mono, static_cast<int>(take));
        } else {
            written = writer.Write(stereo, static_cast<int>(2 * take));
        }
    }
    if (!written || !writer.Commit(error)) {
        std::fprintf(stderr, "sonafel-live: %s\n", written ? error.c_str() : ("cannot write '" + outputPath + "'").c_str());
        return 1;
    }
    if (!options.bandsPath.empty() && !WriteBandLog(options.bandsPath, rows, rows.size())) {
        std::fprintf(stderr, "sonafel-live: cannot write '%s'\n", options.bandsPath.c_str());
        return 1;
    }
    PrintDelay();
    if (engine->Muted())
        std::printf("muted: the output stayed at the limiter for a second (feedback?)\n");
    return 0;
}

int ListDevices()
{
    constexpr std::chrono::seconds kListLimit{3};
    const std::optional<std::vector<SoundDevice>> devices = CSoundLibrary::Instance().Devices(kListLimit);
    if (!devices) {
        std::fprintf(stderr, "sonafel-live: no devices listed: the sound server does not answer within %lld s, or "
                             "the sound library does not start\n",
                     static_cast<long long>(kListLimit.count()));
        return 1;
    }
    for (const SoundDevice& device : *devices) {
        const char* const through = device.pipeWire ? "  (PipeWire)" : "";
        if (device.inputChannels > 0)
            std::printf("input   %-50s %5.1f ms%s\n", SoundDeviceKey(device).c_str(), 1000.0 * device.lowInputLatency,
                        through);
        if (device.outputChannels > 0)
            std::printf("output  %-50s %5.1f ms%s\n", SoundDeviceKey(device).c_str(), 1000.0 * device.lowOutputLatency,
                        through);
    }
    return 0;
}

// Where the devices' figures come from, for the line that gives them.
std::string LatencyOrigin(const StreamLatency& latency, int period)
{
    switch (latency.origin) {
    case StreamLatency::Origin::Reported:
        return "as the host reports it";
    case StreamLatency::Origin::FromPeriods:
        return "computed from the server's " + std::to_string(period) + "-sample periods";
    case StreamLatency::Origin::AsAsked:
        return "as asked of the devices: the host's own figure is missing or implausible";
    }
    return {};
}

int RunLive(const CLossProcessor& processor, const RenderOptions& options, const LiveDevices& devices)
{
    const auto engine = EngineFor(processor, options);
    CLiveDuplex duplex;
    LiveOpenError error;
    if (!duplex.Open(engine, kHop, devices, error)) {
        std::fprintf(stderr, "sonafel-live: %s\n", error.Text().c_str());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(options.samples * 1000 / 44100));
    duplex.Close();
    PrintDelay();
    std::printf("devices: %s in, %s out\n", duplex.InputName().c_str(), duplex.OutputName().c_str());
    const StreamLatency& device = duplex.Latency();
    const double latency = device.input + device.output + CLossProcessor::kLiveDelay / 44100.0;
    std::printf("latency: %.1f ms (input %.1f ms, output %.1f ms, the chain %.1f ms; %s)\n", 1000.0 * latency,
                1000.0 * device.input, 1000.0 * device.output, 1000.0 * CLossProcessor::kLiveDelay / 44100,
                LatencyOrigin(device, duplex.Period()).c_str());
    std::printf("overruns: %ld, underruns: %ld\n", duplex.Overruns(), duplex.Underruns());
    if (engine->Muted())
        std::printf("muted: the output stayed at the limiter for a second (feedback?)\n");
    return 0;
}

// The live tool's own options, each with a value (also written --name=value);
// the rest go to sonafel-render's parser. False with a message in `error`.
struct LiveOptions {
    std::string inputPath, outputPath;
    std::optional<std::string> latency;
    LiveDevices devices;
    bool listDevices = false;
    std::vector<const char*> rest;
};

bool ParseLiveOptions(int argc, char** argv, LiveOptions& options, std::string& error)
{
    options.rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        std::string* const value = name == "--input-file"      ? &options.inputPath
                                   : name == "--output-file"   ? &options.outputPath
                                   : name == "--input-device"  ? &options.devices.input
                                   : name == "--output-device" ? &options.devices.output
                                                               : nullptr;
        if (value || name == "--latency") {
            if (!inlineValue && i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            const std::string given = inlineValue ? *inlineValue : std::string(argv[++i]);
            (value ? *value : options.latency.emplace()) = given;
        } else if (name == "--list-devices") {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
            options.listDevices = true;
        } else {
            options.rest.push_back(argv[i]);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    TakePipeWireRoute(argv);
    LiveOptions live;
    std::string error;
    if (!ParseLiveOptions(argc, argv, live, error)) {
        std::fprintf(stderr, "sonafel-live: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (live.listDevices)
        return ListDevices();
    LiveDevices& devices = live.devices;
    RenderOptions options;
    const bool parsed = ParseRenderOptions(static_cast<int>(live.rest.size()), live.rest.data(), options, error,
                                           OutputFile::NamedElsewhere);
    if (parsed && live.inputPath.empty() != live.outputPath.empty())
        error = "give --input-file and --output-file together";
    else if (parsed && live.inputPath.empty() && !options.bandsPath.empty())
        error = "--bands needs --input-file and --output-file";
    else if (parsed && !options.siiLogPath.empty())
        error = "--sii-log is sonafel-render's: live sound has no speech recording of its own to measure";
    char* end = nullptr;
    const double latencyMs = live.latency ? std::strtod(live.latency->c_str(), &end) : 0.0;
    if (parsed && live.latency && (live.latency->empty() || *end != '\0' || !(latencyMs >= 1.0 && latencyMs <= 500.0)))
        error = "--latency needs milliseconds from 1 to 500, not '" + *live.latency + "'";
    if (parsed && (devices.input.size() > kMaxSoundDeviceKey || devices.output.size() > kMaxSoundDeviceKey))
        error = "a device's name is at most " + std::to_string(kMaxSoundDeviceKey) + " bytes long";
    devices.latency = latencyMs / 1000.0;
    if (!error.empty() || options.help) {
        if (!options.help)
            std::fprintf(stderr, "sonafel-live: %s\n\n", error.c_str());
        std::fputs(kUsage, options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    if (AnswerQuestions(options, "sonafel-live", SONAFEL_VERSION))
        return 0;
    // An input that cannot be used is refused before anything else is read.
    std::vector<short> input;
    if (!live.inputPath.empty() && !ReadInput(live.inputPath, input, error)) {
        std::fprintf(stderr, "sonafel-live: %s\n", error.c_str());
        return 2;
    }
    CSourceBank sources;
    LoadRecordings(options, sources);
    auto processor = std::make_unique<CLossProcessor>(sources);
    SetUpAsTheUserWould(options, *processor);
    return live.inputPath.empty() ? RunLive(*processor, options, devices)
                                  : RunFiles(*processor, options, std::move(input), live.outputPath);
}
