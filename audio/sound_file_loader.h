#pragma once

#include <functional>
#include <string>
#include <vector>

// A user's own recording in any format and rate the sound-file library reads
// (WAV of any depth, FLAC, Ogg, MP3, ...), any channel count: mixed down to
// mono, resampled once to 44100 Hz, and scaled so that its loudest sample has
// the magnitude `targetPeak`, as the bundled recording it replaces.
struct LoadedSound {
    std::vector<short> samples;
    int sourceRate = 0;
    int sourceChannels = 0;
};

// What a demonstration needs, and all a user's recording may be; larger
// files are refused before their samples are read, so that sample counts fit
// an int and memory stays within a few hundred MB.
constexpr int kMaxOwnRecordingSeconds = 600;
constexpr int kLowestOwnRecordingRate = 8000;    // Hz
constexpr int kHighestOwnRecordingRate = 192000;  // Hz
constexpr int kMaxOwnRecordingChannels = 32;

// Called now and then with the share of the file read so far (0..1); false
// stops the loading.
using LoadProgress = std::function<bool(double)>;

// Why a file cannot be used, for a message in the user's words.
enum class SoundFileProblem {
    None,
    Unreadable,  // missing, unreadable, or a format the library does not know
    Layout,      // channels or rate outside the limits (LoadedSound says which)
    TooLong,
    Damaged,     // samples that are not finite numbers, or resampling failed
    Stopped,     // the progress callback stopped it
    NoSound,     // no samples at all
    Silent,
};

struct SoundFileRefusal {
    SoundFileProblem problem = SoundFileProblem::None;
    std::string reason;  // as in the message, without the file's name
};

// False with a message naming the file and the reason (the library's own
// text, the rates involved, the limits above, samples that are not finite
// numbers) when the file cannot be used, and, when asked for, its kind and
// bare reason. Throws only std::bad_alloc.
bool LoadSoundFile(const std::string& path, int targetPeak, LoadedSound& sound, std::string& error,
                   const LoadProgress& progress = {}, SoundFileRefusal* refusal = nullptr);
