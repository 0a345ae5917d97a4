// sonafel-sii: the speech intelligibility index of a listener for the
// standard speech spectrum in quiet, per ear and for both ears.

#include "hearing_intelligibility.h"
#include "sii_options.h"

#include <cstdio>
#include <optional>

int main(int argc, char** argv)
{
    SiiOptions options;
    std::string error;
    if (!ParseSiiOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sonafel-sii: %s\n%s", error.c_str(), kSiiUsage);
        return 2;
    }
    if (options.help || options.listPresets) {
        std::fputs(options.help ? kSiiUsage : PresetList().c_str(), stdout);
        return 0;
    }
    ListenerEars ears;
    std::optional<CAidFitting> aid[2];
    const std::optional<CAudiogram>* audiogram[2] = {&options.audiogram.left, &options.audiogram.right};
    for (int e = 0; e < 2; ++e) {
        if (!*audiogram[e])
            continue;
        ears.audiogram[e] = &**audiogram[e];
        if (options.aid != AidRule::Off) {
            aid[e].emplace(options.aid, **audiogram[e]);
            ears.aid[e] = &*aid[e];
        }
    }
    const EarsIndex index = StandardSpeechIndex(ears, options.effort, options.distanceM);
    std::printf("left %.3f right %.3f both %.3f\n", index.left, index.right, index.both);
    return 0;
}
