#pragma once

#include <string>

// How a command ended; lab_app.cpp maps each to the program's exit status.
enum class Outcome {
  Done,
  WriteFailed,  // a result could not be written
  BadInput,     // refused before any work, nothing written
  Interrupted,  // stopped by a signal, the blocks completed so far written
};

// Input refused before any work, thrown by whatever finds it: the message
// says, on one line, what was wrong and what is accepted.
struct BadInput {
  std::string message;
};

// A signal arrived while the program waited for input: nothing was written.
struct Interrupted {};
