// libFuzzer target: LoadWave on arbitrary file contents.

#include "report.h"
#include "wave_loader.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string& ScratchPath()
{
    static const std::string path = "load-wave-fuzz-" + std::to_string(getpid()) + ".wav";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        SetReportHook([](const std::string&) {});
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return true;
    }();
    (void)quiet;

    std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    short* buffer = nullptr;
    const int count = LoadWave(ScratchPath().c_str(), &buffer, 15000);
    if ((count == 0) != (buffer == nullptr))
        std::abort();  // a buffer exactly when samples were loaded
    for (int i = 0; i < count; ++i)
        if (buffer[i] > 15000 || buffer[i] < -15000)
            std::abort();
    delete[] buffer;
    return 0;
}
