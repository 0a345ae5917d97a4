// libFuzzer target: the listener-file reader on arbitrary text.

#include "listener_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto listeners = ParseListeners(text, error);
    if (!listeners) {
        if (error.empty())
            std::abort();  // every refusal says why
        return 0;
    }
    for (const Listener& listener : *listeners) {
        if (listener.hz.empty() || listener.left.size() != listener.hz.size() ||
            listener.right.size() != listener.hz.size() || listener.hz.size() > kMaxAudiogramFrequencies)
            std::abort();
        for (const Ear ear : {Ear::Left, Ear::Right}) {
            const double level = ListenerAudiogram(listener, ear).LevelAt(1000.0);
            if (!(level >= CAudiogram::kLowestLevel && level <= CAudiogram::kHighestLevel))
                std::abort();
        }
        // What is written reads back as the same listener.
        const auto again = ParseListeners(ListenerFileText(listener), error);
        if (!again || again->size() != 1 || again->front().hz != listener.hz ||
            again->front().left != listener.left || again->front().right != listener.right ||
            again->front().name != listener.name || again->front().id != listener.id)
            std::abort();
    }
    return 0;
}
