#include "lab/lab_app.h"

int main(int argc, char** argv) {
  return runLab(argc, argv);
}
