#include "driver/program.h"

// Exits with status 1 after a complete run.
int main() {
  return runProgram();
}
