#pragma once

// The widest vector instructions the arithmetic loops use, chosen at run time.
// Every path gives exactly the results of the plain one. The smearing has a
// loop for each path; the transforms and the per-sample loops have SSE2 forms,
// which every x86-64 processor runs and which they keep on the plain and sse2
// paths, and AVX forms for the two wider paths. A build with SONAFEL_NO_SIMD
// uses plain loops throughout.
enum class VectorPath { Plain, Sse2, Avx2, Avx512 };

// Whether this build and this processor can run the path.
bool VectorPathSupported(VectorPath path);

// The widest supported path, or the one the environment variable
// SONAFEL_VECTOR names (plain, sse2, avx2 or avx512) for comparing them; a
// name that is unknown or not supported is reported once on stderr and the widest
// path taken instead.
VectorPath ChosenVectorPath();

// ChosenVectorPath() as at the first call, kept: for the transforms and the
// per-sample loops, which run on the audio path.
VectorPath AudioVectorPath();

const char* VectorPathName(VectorPath path);
