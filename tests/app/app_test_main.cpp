// Runs the whole-program tests inside the program's own application object,
// on Qt's offscreen platform unless another is set, and with the virtual
// sound device.

#include "sonafel_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SONAFEL_AUDIO", "virtual", 1);
    // The settings the tests store go to a folder of their own.
    char settings[] = "/tmp/sonafel-settings-XXXXXX";
    if (mkdtemp(settings))
        setenv("XDG_CONFIG_HOME", settings, 1);
    CSonafelApp application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    std::filesystem::remove_all(settings);
    return failed;
}
