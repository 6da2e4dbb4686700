// What the workstation counts as 1-D data and what the curve graph shows of
// it.
#pragma once

namespace mtvuk {

// Limits within which the data of a period count as 1-D; the defaults are
// the common ones of the literature (Caldwell, Bibby and Brown 2004).
struct DimensionalityThresholds {
  double beta_deg = 3.0;     // |beta| below this
  double ellipticity = 0.1;  // ellipticity below this
  // The curve graph: the D+ curve ("1-D bound") of each set drawn, and the
  // periods that are not 1-D shaded.
  bool show_bound = true;
  bool shade_non_1d = true;
};

}  // namespace mtvuk
