// Runs the whole-program tests inside the program's own application object,
// on Qt's offscreen platform unless another is set, and with the virtual
// sound device.

#include "sonafel_app.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SONAFEL_AUDIO", "virtual", 1);
    CSonafelApp application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
