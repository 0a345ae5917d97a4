#include "pipewire_route.h"

#include <gtest/gtest.h>

namespace {

TEST(PipeWireRoute, ItsLibraryGoesFirstOnTheSearchPathOnce)
{
    const std::string folder = "/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack";
    struct Case {
        const char* path;  // null: not set
        std::optional<std::string> wanted;
    };
    const Case cases[] = {
        {nullptr, folder},
        {"", folder},
        {"/opt/lib", folder + ":/opt/lib"},
        {"/opt/lib:/usr/local/lib", folder + ":/opt/lib:/usr/local/lib"},
        {"/opt/lib:/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack", std::nullopt},
        {"/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack:/opt/lib", std::nullopt},
        // A longer folder that starts with the same name is another one.
        {"/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack2", folder + ":/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack2"},
        {"/usr/lib/x86_64-linux-gnu/pipewire-0.3", folder + ":/usr/lib/x86_64-linux-gnu/pipewire-0.3"},
        // Empty entries (the current folder, to the loader) are kept as they are.
        {"::", folder + ":::"},
        {"::/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack:", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchPathWith(c.path, folder), c.wanted) << (c.path ? c.path : "(not set)");
}

}  // namespace
