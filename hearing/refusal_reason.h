#pragma once

#include <string>

// Why something read from outside was refused, in the tools' English and
// the window's German; a library's own words stay as they are in both.
struct RefusalReason {
    std::string english;
    std::string german;

    // Both languages with `before` put in front.
    RefusalReason Prefixed(const std::string& englishBefore, const std::string& germanBefore) const
    {
        return {englishBefore + english, germanBefore + german};
    }
};
