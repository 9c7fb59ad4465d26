#pragma once

// truecount-lab's command line: run, merge, --help, --version. Returns the
// exit status: 0 done, 1 a result could not be written, 2 bad input (nothing
// written), 130 interrupted (the blocks completed so far written, resumable).
int runLab(int argc, char** argv);
