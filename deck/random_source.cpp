#include "deck/random_source.h"

#include <cstdlib>
#include <utility>

void RandomSource::shuffle(std::span<int> items) {
  const int n = static_cast<int>(items.size());
  for (int k = 1; k < n; ++k) {
    std::swap(items[k], items[below(k + 1)]);
  }
}

int CLibraryRandom::below(int bound) {
  constexpr long long kRange = static_cast<long long>(RAND_MAX) + 1;
  long long value = std::rand();
  // One draw addresses RAND_MAX + 1 positions; wider shoes chain draws.
  for (long long range = kRange; range < bound; range *= kRange) {
    value = value * kRange + std::rand();
  }
  return static_cast<int>(value % bound);
}

CLibraryRandom& CLibraryRandom::shared() {
  static CLibraryRandom instance;
  return instance;
}

namespace {

__extension__ using Wide = unsigned __int128;  // the full 64 x 64-bit product

std::uint64_t splitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t rotateLeft(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

using State = std::array<std::uint64_t, 4>;

std::uint64_t nextOf(State& s) {
  const std::uint64_t result = rotateLeft(s[1] * 5, 7) * 9;
  const std::uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = rotateLeft(s[3], 45);
  return result;
}

// Lemire's multiply-and-reject: exactly uniform, one draw in nearly every case.
int belowOf(State& s, int bound) {
  const auto range = static_cast<std::uint64_t>(bound);
  Wide product = static_cast<Wide>(nextOf(s)) * range;
  auto low = static_cast<std::uint64_t>(product);
  if (low < range) {
    const std::uint64_t threshold = (0 - range) % range;
    while (low < threshold) {
      product = static_cast<Wide>(nextOf(s)) * range;
      low = static_cast<std::uint64_t>(product);
    }
  }
  return static_cast<int>(product >> 64);
}

}  // namespace

StreamRandom::StreamRandom(std::uint64_t seed, std::uint64_t stream) {
  // The stream number is mixed into the seed first, so that neighbouring
  // streams of one seed start from unrelated states.
  std::uint64_t mixer = seed;
  std::uint64_t origin = splitMix(mixer) ^ stream;
  for (std::uint64_t& word : state_) {
    word = splitMix(origin);
  }
}

std::uint64_t StreamRandom::next() {
  return nextOf(state_);
}

int StreamRandom::below(int bound) {
  return belowOf(state_, bound);
}

void StreamRandom::shuffle(std::span<int> items) {
  // The state lives in registers for the whole shuffle, written back once.
  State s = state_;
  const int n = static_cast<int>(items.size());
  for (int k = 1; k < n; ++k) {
    std::swap(items[k], items[belowOf(s, k + 1)]);
  }
  state_ = s;
}
