// The pictures of "mtvuk-cli bayes --png": the command line samples, this
// binary draws the posterior it wrote with the plots of the "Bayesian
// inversion" window.
#pragma once

namespace mtvuk {

// True when the command line asks for --export-bayes.
bool AsksForBayesExport(int argc, char** argv);

// mtvuk --export-bayes RESULT.json --out OUT.png [--title TEXT]
// [--size WxH]: draws the posterior of RESULT.json (as `mtvuk-cli bayes
// --json` prints it for one sounding) offscreen and writes the picture.
// Returns the exit status (1 with the reason on standard error).
int ExportBayesMain(int argc, char** argv);

}  // namespace mtvuk
