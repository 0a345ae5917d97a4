#include "sii_log.h"

#include <algorithm>
#include <cstdio>

bool WriteSiiLog(const std::string& path, const std::vector<SiiLogRow>& rows, std::size_t count)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    count = std::min(count, rows.size());
    for (std::size_t r = 0; r < count; ++r)
        std::fprintf(file, "block %zu left %.3f right %.3f both %.3f\n", r + 1, rows[r].recent.left,
                     rows[r].recent.right, rows[r].recent.both);
    if (count > 0)
        std::fprintf(file, "whole left %.3f right %.3f both %.3f\n", rows[count - 1].whole.left,
                     rows[count - 1].whole.right, rows[count - 1].whole.both);
    return std::fclose(file) == 0;
}
