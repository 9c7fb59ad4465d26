#pragma once

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <streambuf>

// Reports the broken invariant and aborts, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                       \
  ((cond) ? void(0)                                                                            \
          : (std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond), \
             std::abort()))

// Swallows whatever is written to it.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
};

// Points a stream at another buffer for as long as it lives.
class StreamRedirect {
 public:
  StreamRedirect(std::ostream& stream, std::streambuf* buffer)
      : stream_(stream), saved_(stream.rdbuf(buffer)) {}
  ~StreamRedirect() { stream_.rdbuf(saved_); }
  StreamRedirect(const StreamRedirect&) = delete;
  StreamRedirect& operator=(const StreamRedirect&) = delete;

 private:
  std::ostream& stream_;
  std::streambuf* saved_;
};
