#pragma once
// Weight tables of the separable bicubic resampler, one per axis, computed
// once per draw so that the passes only multiply and add.
#include <vector>

namespace plendo::imaging {

// Keys' cubic convolution kernel, a = -0.5; zero from |x| = 2 on.
double BicubicKernel(double x);

// Index of the source pixel read at position j when the source repeats
// mirrored beyond its edges (-1 reads 0, -2 reads 1, n reads n-1).
int MirrorIndex(long long j, int n);

// For output pixel i (target pixel begin + i) the source pixels
// first[i] .. first[i] + taps - 1 with weights[i * taps + k]; the weights of
// one output sum to 1 and every index lies inside the source. coverage[i] is
// the share of the output pixel inside the destination span (1 inside, less
// on a fractional edge).
struct AxisWeights {
  int begin = 0;
  int taps = 0;
  std::vector<int> first;
  std::vector<float> weights;
  std::vector<float> coverage;
  int Count() const { return static_cast<int>(first.size()); }
};

// The source's `source_size` pixels drawn into the span [dest_start,
// dest_start + dest_size) of a target axis of `target_size` pixels. The span
// is not rounded: the scale is source_size / dest_size, and the centre of
// output pixel x reads source position (x + 0.5 - dest_start) * scale - 0.5.
// When shrinking, the kernel is widened by the scale so that every source
// pixel contributes. Empty when nothing of the span falls on the target.
AxisWeights MakeAxisWeights(int source_size, double dest_start, double dest_size, int target_size);

}  // namespace plendo::imaging
