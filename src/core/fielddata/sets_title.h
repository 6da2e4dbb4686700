// The title line of a printed or exported graph: what the graph shows.
#pragma once

#include <array>
#include <string>

#include "core/store/workspace.h"

namespace mtvuk {

// The stations of the sets that hold a curve and are shown, each once with
// its modes in slot order: "15125A  XY, YX"; several stations are
// separated by "; ". Empty when no set is shown.
std::string SetsTitle(const FieldSets& sets,
                      const std::array<bool, MaxSets>& shown);

}  // namespace mtvuk
