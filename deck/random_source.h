#pragma once

#include <array>
#include <cstdint>
#include <span>

// Where the shoe's shuffles draw their positions from. The shoe holds a
// reference to the source it is handed; whoever owns the shoe owns the source.
class RandomSource {
 public:
  RandomSource() = default;
  RandomSource(const RandomSource&) = default;
  RandomSource& operator=(const RandomSource&) = default;
  virtual ~RandomSource() = default;

  // A uniformly drawn integer in 0..bound-1, for a bound of at least 1.
  virtual int below(int bound) = 0;
  // Fisher-Yates: for k = 1..n-1, swaps items k and below(k + 1). A source
  // may do the same draws faster; the order it leaves must not change.
  virtual void shuffle(std::span<int> items);
};

// The C library's rand(), seeded by the caller through srand(): one shared
// state, so it serves a single-threaded program only.
class CLibraryRandom final : public RandomSource {
 public:
  int below(int bound) override;
  // The one instance every shoe uses unless it is handed another source.
  static CLibraryRandom& shared();
};

// xoshiro256** seeded through splitmix64 from a seed and a stream number: a
// small value-type generator, one per independent stream of shuffles, so
// threads never share a state and every stream is reproducible on its own.
class StreamRandom final : public RandomSource {
 public:
  StreamRandom(std::uint64_t seed, std::uint64_t stream);

  int below(int bound) override;
  // The same draws as the base, each without a virtual call.
  void shuffle(std::span<int> items) override;
  std::uint64_t next();

 private:
  std::array<std::uint64_t, 4> state_{};
};
