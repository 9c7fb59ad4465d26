#include "lab/message.h"

#include <iostream>

#include "study/text_values.h"

void say(const std::string& message) {
  std::cerr << "truecount-lab: " << printable(message) << "\n" << std::flush;
}
