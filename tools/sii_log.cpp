#include "sii_log.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Values(const EarsIndex& index, const bool* implanted)
{
    const auto number = [](double value) {
        char text[16];
        std::snprintf(text, sizeof text, "%.3f", value);
        return std::string(text);
    };
    const std::string left = implanted[0] ? "n/a" : number(index.left);
    const std::string right = implanted[1] ? "n/a" : number(index.right);
    const std::string both = implanted[0] && implanted[1] ? "n/a"
                             : implanted[0]               ? right
                             : implanted[1]               ? left
                                                          : number(index.both);
    return "left " + left + " right " + right + " both " + both;
}

}  // namespace

bool WriteSiiLog(const std::string& path, const std::vector<SiiLogRow>& rows, std::size_t count)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    count = std::min(count, rows.size());
    for (std::size_t r = 0; r < count; ++r)
        std::fprintf(file, "block %zu %s\n", r + 1, Values(rows[r].recent, rows[r].implanted).c_str());
    if (count > 0)
        std::fprintf(file, "whole %s\n", Values(rows[count - 1].whole, rows[count - 1].implanted).c_str());
    return std::fclose(file) == 0;
}
