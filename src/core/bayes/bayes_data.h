// The data a Bayesian inversion samples against: log10 apparent resistivity
// and phase at each used period of one polarisation, with standard errors
// held at or above an error floor on |Z|.
#pragma once

#include <string>
#include <vector>

#include "core/inversion/error_floor.h"
#include "core/store/field_set.h"

namespace mtvuk {

// The standard error of |Z| is taken as at least kDefaultErrorFloorPercent
// of |Z| unless set otherwise (the robust fit's convention, error_floor.h).

struct BayesData {
  std::vector<double> period;         // s
  std::vector<double> log_rho;        // log10 of rho_a in Ohm-m
  std::vector<double> phase;          // radians, 0..pi/2
  std::vector<double> sigma_log_rho;  // standard errors
  std::vector<double> sigma_phase;
  int Size() const { return static_cast<int>(period.size()); }
  // The Bostick depth sqrt(rho_a T / (2 pi mu0)) of the shallowest and the
  // deepest point, km.
  double MinBostickDepthKm() const;
  double MaxBostickDepthKm() const;
};

// Raises every standard error to the floor of `percent` % on |Z|; errors
// that are missing (zero or not finite) become the floor.
void ApplyErrorFloor(double percent, BayesData& data);

// The points of a field set that are not deleted, with finite resistivity
// and a phase strictly between 0 and 90 degrees, errors from their bars and
// the floor. False, with the reason in `error`, when fewer than 3 remain or
// the floor is not positive.
bool BayesDataFromSet(const FieldSet& set,
                      double floor_percent,
                      BayesData& data,
                      std::string& error);

// The exact response of a layered model (resistivities Ohm-m, thicknesses km,
// `n` layers with the half-space) at `periods`, with Gaussian noise of the
// relative size `noise` on |Z| from a stream seeded by `seed`, and errors of
// that size. Synthetic soundings of tests and benchmarks.
BayesData SyntheticBayesData(const std::vector<double>& rho,
                             const std::vector<double>& thickness_km,
                             const std::vector<double>& periods,
                             double noise,
                             unsigned long long seed);

}  // namespace mtvuk
