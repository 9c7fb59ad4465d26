#pragma once

#include <iostream>

#include "table/payoff_table.h"

// Writes the payoff table row by row with its four summary lines. The format
// settings it makes persist on the stream from one insertion to the next.
void printPayoffReport(const PayoffTable& table, std::ostream& out = std::cout);
