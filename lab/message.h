#pragma once

#include <string>

// Writes one of the program's messages to standard error as one line,
// "truecount-lab: " first and every control character of it escaped, so that
// a file name or a value with a line break cannot split it.
void say(const std::string& message);
