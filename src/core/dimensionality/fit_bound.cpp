#include "core/dimensionality/fit_bound.h"

#include <cmath>

namespace mtvuk {

FitBound BoundOfFit(const FieldSet& set,
                    const LayerModel& m,
                    Physics physics,
                    double floor) {
  FitBound b;
  const std::vector<ImpedanceDatum> data = ImpedanceDataOf(set, floor);
  b.dplus = FitDPlus(data);
  if (!b.dplus.ok || m.layer_count < 1) return b;
  std::vector<Complex> layered;
  layered.reserve(data.size());
  for (const ImpedanceDatum& d : data) {
    const Response1D r = ResponseNoDispersion(m.resistivity.data(),
                                              m.thickness.data(),
                                              m.layer_count,
                                              d.period,
                                              physics);
    layered.push_back(Scale(r.z, 1.0 / kSiToField));
  }
  b.layered_chi2 = ImpedanceChi2(data, layered);
  b.layered_nrms = std::sqrt(b.layered_chi2 / b.dplus.data);
  return b;
}

}  // namespace mtvuk
