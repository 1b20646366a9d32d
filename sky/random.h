// The random numbers of the sky: uniform integers 0..32767 from a generator seeded with the
// current time in whole seconds at each use, so two draws in the same second agree.
#pragma once

#include <cstdint>

namespace sky {

class SecondsRandom {
 public:
  // Seeds the generator; the program seeds with the time in whole seconds.
  void Seed(std::uint32_t seed) { state_ = seed; }
  // The next number, 0..32767 (a linear congruential generator).
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  // Draws until a number is at most `bound`, as the program's rejection rule asks; a
  // bound of 32767 or more takes the first number, a negative one is treated as 0.
  int DrawAtMost(int bound) {
    if (bound < 0) bound = 0;
    for (;;) {
      const int n = Next();
      if (n <= bound) return n;
    }
  }

 private:
  std::uint32_t state_ = 1;
};

// The time the sky's draws are seeded with: the platform's calendar time in whole seconds.
std::uint32_t SecondsNow();

}  // namespace sky
