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
  const std::uint64_t result = rotateLeft(state_[1] * 5, 7) * 9;
  const std::uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = rotateLeft(state_[3], 45);
  return result;
}

void StreamRandom::shuffle(std::span<int> items) {
  const int n = static_cast<int>(items.size());
  for (int k = 1; k < n; ++k) {
    std::swap(items[k], items[StreamRandom::below(k + 1)]);
  }
}

int StreamRandom::below(int bound) {
  // Lemire's multiply-and-reject: exactly uniform, one draw in nearly every case.
  const auto range = static_cast<std::uint64_t>(bound);
  Wide product = static_cast<Wide>(next()) * range;
  auto low = static_cast<std::uint64_t>(product);
  if (low < range) {
    const std::uint64_t threshold = (0 - range) % range;
    while (low < threshold) {
      product = static_cast<Wide>(next()) * range;
      low = static_cast<std::uint64_t>(product);
    }
  }
  return static_cast<int>(product >> 64);
}
