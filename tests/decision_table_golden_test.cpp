// Guards the strategy engine's exact arithmetic: every double of the dealer
// distribution and of the decision table, for many shoes, up cards and dealer
// modes, must keep the bits recorded in tests/data/decision_tables.digest.
// TRUECOUNT_WRITE_GOLDEN=1 rewrites that file (only for an intended change).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "deck/deck.h"
#include "strategy/dealer_outcomes.h"
#include "strategy/decision_table.h"
#include "test_shoes.h"

namespace {

const std::string kDigestFile = std::string(TRUECOUNT_TEST_DATA_DIR) + "/decision_tables.digest";

struct Digest {
  std::uint64_t value = 14695981039346656037ULL;  // FNV-1a
  template <typename T>
  void add(T field) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &field, sizeof(T));
    for (const unsigned char b : bytes) {
      value = (value ^ b) * 1099511628211ULL;
    }
  }
};

std::uint64_t digestOf(const DealerOutcomes& d) {
  Digest digest;
  for (const double p : d.probability)
    digest.add(p);
  digest.add(d.drawSteps);
  return digest.value;
}

std::uint64_t digestOf(const DecisionTable& table) {
  Digest digest;
  for (const DecisionRow& row : table.rows) {
    for (const DecisionEntry& e : {row.hard, row.soft}) {
      digest.add(e.bestValue);
      digest.add(e.action);
      digest.add(e.doubleValue);
      digest.add(e.standValue);
      digest.add(e.hitValue);
    }
    digest.add(row.splitAdvised);
    digest.add(row.splitValue);
  }
  return digest.value;
}

std::map<std::string, std::function<Deck()>> shoes() {
  std::map<std::string, std::function<Deck()>> all{
      {"fresh", [] { return Deck(2, true); }},    {"empty", [] { return dealtDown(1, 0); }},
      {"only-tens", [] { return shoeOf({10}); }}, {"only-aces", [] { return shoeOf({1}); }},
      {"only-fives", [] { return shoeOf({5}); }},
  };
  int seed = 11;
  for (const int left : {80, 52, 52, 45, 30, 20, 12, 5, 2, 1}) {
    all["seed" + std::to_string(seed) + "-left" + std::to_string(left)] = [seed, left] {
      return dealtDown(static_cast<unsigned>(seed), left);
    };
    ++seed;
  }
  return all;
}

std::map<std::string, std::string> computeDigests() {
  std::map<std::string, std::string> digests;
  for (const auto& [name, make] : shoes()) {
    const Deck deck = make();
    for (int up = 2; up <= 11; ++up) {
      for (int mode = 0; mode <= 1; ++mode) {
        std::ostringstream key;
        std::ostringstream value;
        key << name << ' ' << up << ' ' << mode;
        value << std::hex << digestOf(deck.dealerOutcomes(up, up == 11, mode)) << ' '
              << digestOf(deck.buildDecisionTable(up, mode));
        digests[key.str()] = value.str();
      }
    }
  }
  return digests;
}

TEST(DecisionTableGolden, EveryDoubleKeepsItsRecordedBits) {
  const auto digests = computeDigests();
  if (std::getenv("TRUECOUNT_WRITE_GOLDEN") != nullptr) {
    std::ofstream out(kDigestFile);
    for (const auto& [key, value] : digests)
      out << key << ' ' << value << '\n';
    GTEST_SKIP() << "rewrote " << kDigestFile;
  }
  std::ifstream in(kDigestFile);
  ASSERT_TRUE(in) << kDigestFile;
  std::string name, up, mode, dealer, table;
  std::size_t checked = 0;
  while (in >> name >> up >> mode >> dealer >> table) {
    const std::string key = name + ' ' + up + ' ' + mode;
    ASSERT_EQ(digests.count(key), 1U) << key;
    EXPECT_EQ(digests.at(key), dealer + ' ' + table) << key;
    ++checked;
  }
  EXPECT_EQ(checked, digests.size());
}

bool sameBits(const DecisionEntry& a, const DecisionEntry& b) {
  return std::memcmp(&a.bestValue, &b.bestValue, sizeof(double)) == 0 && a.action == b.action &&
         std::memcmp(&a.doubleValue, &b.doubleValue, sizeof(double)) == 0 &&
         std::memcmp(&a.standValue, &b.standValue, sizeof(double)) == 0 &&
         std::memcmp(&a.hitValue, &b.hitValue, sizeof(double)) == 0;
}

// A table computed only down to some bounds must agree bit for bit with the
// full table on every row it computes, and advise splits only where it can.
TEST(DecisionTableGolden, BoundedTablesMatchTheFullTable) {
  for (const auto& [name, make] : shoes()) {
    const Deck deck = make();
    for (int up = 2; up <= 11; ++up) {
      const DecisionTable full = deck.buildDecisionTable(up, 0);
      for (int hardRow = 0; hardRow <= 22; ++hardRow) {
        for (int softRow = 0; softRow <= 22; ++softRow) {
          const DecisionBounds bounds = DecisionBounds::covering(hardRow, softRow);
          ASSERT_LE(bounds.lowestHard, hardRow);
          ASSERT_LE(bounds.lowestSoft, softRow);
          const DecisionTable part = deck.buildDecisionTable(up, 0, bounds);
          for (int n = 0; n < DecisionTable::kRows; ++n) {
            SCOPED_TRACE(name + " up " + std::to_string(up) + " row " + std::to_string(n));
            if (n >= bounds.lowestHard) {
              EXPECT_TRUE(sameBits(part[n].hard, full[n].hard));
            }
            if (n >= bounds.lowestSoft) {
              EXPECT_TRUE(sameBits(part[n].soft, full[n].soft));
            }
            const bool splitKnown =
                (n == 2 || n == 22) ? bounds.lowestSoft <= 11 : n / 2 >= bounds.lowestHard;
            if (splitKnown) {
              EXPECT_EQ(part[n].splitAdvised, full[n].splitAdvised);
              EXPECT_EQ(0, std::memcmp(&part[n].splitValue, &full[n].splitValue, sizeof(double)));
            } else {
              EXPECT_FALSE(part[n].splitAdvised);
            }
          }
        }
      }
    }
  }
}

}  // namespace
