#pragma once

// The unit every payoff is counted in: a tenth of the stake. Every payoff the
// table can make is a whole number of tenths: a blackjack at 3:2 pays 15, at
// 6:5 12; surrender and a lost insurance bet cost 5, a won one pays 10. Whole
// numbers add up exactly in any order, so tallies kept in this unit merge to
// the bit.
inline constexpr int kPayoffUnitsPerStake = 10;
