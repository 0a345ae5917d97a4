#include "vector_path.h"

#include "simd.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr VectorPath kPaths[] = {VectorPath::Plain, VectorPath::Sse2, VectorPath::Avx2, VectorPath::Avx512};

VectorPath WidestSupportedPath()
{
    VectorPath widest = VectorPath::Plain;
    for (const VectorPath path : kPaths)
        if (VectorPathSupported(path))
            widest = path;
    return widest;
}

// Said once, however often the choice is made.
void ReportRefusal(const char* wanted, const char* reason, VectorPath widest)
{
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        std::fprintf(stderr, "SONAFEL_VECTOR=%s: %s; using %s\n", wanted, reason, VectorPathName(widest));
}

}  // namespace

bool VectorPathSupported(VectorPath path)
{
    switch (path) {
    case VectorPath::Plain:
        return true;
#ifdef SONAFEL_SSE2
    case VectorPath::Sse2:
        return true;
#endif
#ifdef SONAFEL_AVX_DISPATCH
    // The processor's report includes whether the system saves the wider
    // registers.
    case VectorPath::Avx2:
        return __builtin_cpu_supports("avx2");
    case VectorPath::Avx512:
        return __builtin_cpu_supports("avx512f");
#endif
    default:
        return false;
    }
}

VectorPath ChosenVectorPath()
{
    const VectorPath widest = WidestSupportedPath();
    const char* const wanted = std::getenv("SONAFEL_VECTOR");
    if (!wanted || !*wanted)
        return widest;
    for (const VectorPath path : kPaths) {
        if (std::strcmp(wanted, VectorPathName(path)) != 0)
            continue;
        if (VectorPathSupported(path))
            return path;
        ReportRefusal(wanted, "not supported here", widest);
        return widest;
    }
    ReportRefusal(wanted, "unknown (plain, sse2, avx2 or avx512)", widest);
    return widest;
}

VectorPath AudioVectorPath()
{
    static const VectorPath path = ChosenVectorPath();
    return path;
}

const char* VectorPathName(VectorPath path)
{
    switch (path) {
    case VectorPath::Sse2:
        return "sse2";
    case VectorPath::Avx2:
        return "avx2";
    case VectorPath::Avx512:
        return "avx512";
    default:
        return "plain";
    }
}
