#include "core/section/station_labels.h"

#include <algorithm>

namespace mtvuk {

std::vector<int> StaggerLabels(const std::vector<double>& centres,
                               const std::vector<double>& widths,
                               double gap) {
  const std::size_t n = std::min(centres.size(), widths.size());
  std::vector<int> rows(n, 0);
  std::vector<double> row_end;  // right edge of the last label of each row
  for (std::size_t i = 0; i < n; ++i) {
    const double start = centres[i] - widths[i] / 2.0;
    std::size_t r = 0;
    while (r < row_end.size() && start < row_end[r] + gap) ++r;
    if (r == row_end.size()) row_end.push_back(0.0);
    row_end[r] = centres[i] + widths[i] / 2.0;
    rows[i] = static_cast<int>(r);
  }
  return rows;
}

}  // namespace mtvuk
