#pragma once

#include <span>

// The start-up checks of the shoe and the hand. Each scenario also compares
// the outcomes it must reach, so a broken deck or hand reports FAILED!!.
bool testDeck();
bool testCount();
bool testHand();

struct SelfTest {
  const char* label;  // written before the status, on the same line
  bool (*run)();
};

// Runs every test in order, even after a failure, writing "<label>Passed" on
// standard output or the label and "FAILED!!" on standard error, then an
// empty line. True when all passed.
bool runSelfTestSuite(std::span<const SelfTest> tests);
// The suite the program runs at start-up: Deck, Count, Hand.
bool runSelfTests();
