#include "recording_location.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(RecordingLocation, TheCurrentDirectoryFirstThenTheInstalledTreeBesideTheExecutable)
{
    TempDir dir;
    const std::filesystem::path bin = dir.Path("prefix/bin");
    const std::filesystem::path data = dir.Path("prefix/share/sonafel");
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(dir.Path("work"));
    std::ofstream(data / "sprache.wav") << "installed";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path("work"));

    EXPECT_EQ(LocateRecording("sprache.wav", bin), (bin / "../share/sonafel/sprache.wav").string());
    EXPECT_EQ(LocateRecording("music.wav", bin), "music.wav") << "installed nowhere: the name as given";
    EXPECT_EQ(LocateRecording("sprache.wav", dir.Path("build/app")), "sprache.wav") << "no installed tree";
    EXPECT_EQ(LocateRecording("sub/sprache.wav", bin), "sub/sprache.wav") << "a folder is the user's choice";
    std::ofstream("sprache.wav") << "here";
    EXPECT_EQ(LocateRecording("sprache.wav", bin), "sprache.wav") << "the current directory first";
    std::filesystem::create_directory("music.wav");
    EXPECT_EQ(LocateRecording("music.wav", bin), "music.wav") << "whatever is there, for the loader to judge";

    std::filesystem::current_path(previous);
}
