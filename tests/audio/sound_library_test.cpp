#include "sound_library.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>

namespace {

using std::chrono::milliseconds;

bool Listed(const std::vector<SoundDevice>& devices, const std::string& key)
{
    return std::any_of(devices.begin(), devices.end(),
                       [&](const SoundDevice& device) { return SoundDeviceKey(device) == key; });
}

}  // namespace

TEST(SoundLibrary, ACallTheServerHoldsMakesTheOthersWaitNoLongerThanTheirLimit)
{
    CSoundLibrary& library = CSoundLibrary::Instance();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto lateFollowed = std::make_shared<std::promise<void>>();
    std::future<void> followed = lateFollowed->get_future();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(library.Run([released] { released.wait(); }, [lateFollowed] { lateFollowed->set_value(); },
                          milliseconds(50)),
              CSoundLibrary::Answer::Late);
    bool ran = false;
    EXPECT_EQ(library.Run([&ran] { ran = true; }, nullptr, milliseconds(50), milliseconds(20)),
              CSoundLibrary::Answer::Busy);
    EXPECT_FALSE(ran) << "nothing runs beside a call the server holds";
    EXPECT_FALSE(library.Devices(milliseconds(50)).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1000)) << "each caller waited its limit only";

    release.set_value();
    EXPECT_EQ(followed.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "what follows a late call";
    EXPECT_EQ(library.Run([&ran] { ran = true; }, nullptr, milliseconds(2000)), CSoundLibrary::Answer::Done);
    EXPECT_TRUE(ran);
}

TEST(SoundLibrary, DevicesAddedOrRemovedAreFoundWhenTheListIsAskedForAgain)
{
    // ALSA's own configuration in a home of the test's: one device, then another.
    TempDir home;
    const char* const before = std::getenv("HOME");
    const std::string kept = before ? before : "";
    setenv("HOME", home.Path("").c_str(), 1);
    // `type asym` with one side only: a device of one direction.
    const auto configure = [&](const char* name, const char* direction) {
        std::ofstream(home.Path(".asoundrc")) << "pcm." << name << " {\n type asym\n " << direction
                                              << ".pcm \"null\"\n hint { show on description \"" << name
                                              << "\" }\n}\n";
    };
    configure("sonafel_first", "playback");
    const auto first = CSoundLibrary::Instance().Devices(milliseconds(3000));
    configure("sonafel_second", "capture");
    const auto second = CSoundLibrary::Instance().Devices(milliseconds(3000));
    if (before)
        setenv("HOME", kept.c_str(), 1);
    else
        unsetenv("HOME");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(Listed(*first, "ALSA: sonafel_first"));
    EXPECT_TRUE(Listed(*second, "ALSA: sonafel_second"));
    EXPECT_FALSE(Listed(*second, "ALSA: sonafel_first")) << "an unplugged device goes from the list";

    // Each with the direction it has, and found only in that one.
    const auto channels = [](const std::vector<SoundDevice>& devices, const std::string& key) {
        for (const SoundDevice& device : devices)
            if (SoundDeviceKey(device) == key)
                return std::make_pair(device.inputChannels, device.outputChannels);
        return std::make_pair(-1, -1);
    };
    const auto [firstIn, firstOut] = channels(*first, "ALSA: sonafel_first");
    const auto [secondIn, secondOut] = channels(*second, "ALSA: sonafel_second");
    EXPECT_EQ(firstIn, 0);
    EXPECT_GE(firstOut, 2);
    EXPECT_GE(secondIn, 1);
    EXPECT_EQ(secondOut, 0);
    EXPECT_GE(FindSoundDevice(*first, "ALSA: sonafel_first", false), 0);
    EXPECT_EQ(FindSoundDevice(*first, "ALSA: sonafel_first", true), -1);
    EXPECT_GE(FindSoundDevice(*second, "ALSA: sonafel_second", true), 0);
    EXPECT_EQ(FindSoundDevice(*second, "ALSA: sonafel_second", false), -1);
}

TEST(SoundDevices, ADeviceIsFoundByItsKeyOnlyInTheDirectionItHas)
{
    std::vector<SoundDevice> devices(3);
    devices[0] = {4, "USB Mikrofon", "ALSA", 1, 0, 0.005, 0.0};
    devices[1] = {7, "Kopfhörer", "ALSA", 0, 2, 0.0, 0.005};
    devices[2] = {9, "Headset", "JACK Audio Connection Kit", 2, 2, 0.003, 0.003};
    const struct {
        const char* key;
        bool input;
        int index;
    } kCases[] = {
        {"ALSA: USB Mikrofon", true, 4},  {"ALSA: USB Mikrofon", false, -1}, {"ALSA: Kopfhörer", false, 7},
        {"ALSA: Kopfhörer", true, -1},    {"JACK Audio Connection Kit: Headset", true, 9},
        {"JACK Audio Connection Kit: Headset", false, 9}, {"ALSA: Headset", true, -1}, {"", false, -1},
    };
    for (const auto& test : kCases)
        EXPECT_EQ(FindSoundDevice(devices, test.key, test.input), test.index) << test.key << " " << test.input;
}
