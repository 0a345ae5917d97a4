#pragma once

// The frame geometry every stage shares, declared once: sound at 44100
// samples a second in frames of 256 samples, 128 apart (a hop), each
// transformed over 512 points into 256 bins of 86.13 Hz; 31 frames make a
// block, which mixes 4096 samples and queues 3968.
namespace FrameGeometry {

constexpr int kSampleRate = 44100;
constexpr int kFrameInput = 256;    // input samples per frame
constexpr int kFrameSize = 512;     // real transform points per frame
constexpr int kBins = 256;          // bins of the frame spectrum
constexpr int kHop = 128;           // samples from one frame to the next
constexpr int kFrames = 31;         // frames per block
constexpr int kBlockInput = 4096;   // samples mixed per block
constexpr int kBlockOutput = 3968;  // samples queued per block; the next block starts here
constexpr int kOutputSize = 4608;   // the overlap-add accumulator
constexpr double kBinHz = 44100.0 / 512.0;

}  // namespace FrameGeometry
