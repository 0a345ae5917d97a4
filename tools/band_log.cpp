#include "band_log.h"

#include "loss_processor.h"

#include <cstdio>

BandRow MakeBandRow(const double* left, double maxLevel, const double* rightOrNull)
{
    constexpr int kBands = CLossProcessor::kBands;
    BandRow row(left, left + kBands);
    row.push_back(maxLevel);
    if (rightOrNull)
        row.insert(row.end(), rightOrNull, rightOrNull + kBands);
    return row;
}

bool WriteBandLog(const std::string& path, const std::vector<BandRow>& rows, std::size_t count)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    for (std::size_t r = 0; r < count && r < rows.size(); ++r) {
        for (std::size_t b = 0; b < rows[r].size(); ++b)
            std::fprintf(file, b == 0 ? "%.17g" : ",%.17g", rows[r][b]);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}
