// Stations for the section tests, built as the readers leave them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/files/int_file.h"

namespace mtvuk::test {

// A layered station: (resistivity, thickness) from the top, the last one
// the half-space. Thicknesses in metres for a section, in km as read.
inline SectionStation Layered(const std::string& name,
                              double position_m,
                              float z,
                              std::vector<std::pair<float, float>> layers,
                              int number = 0) {
  SectionStation s;
  s.name = name;
  s.number = number;
  s.z = z;
  s.profile_position = position_m;
  s.layer_count = static_cast<std::int16_t>(layers.size());
  for (std::size_t j = 0; j < layers.size(); ++j) {
    s.resistivity[j] = layers[j].first;
    s.thickness[j] = layers[j].second;
  }
  s.thickness[layers.size() - 1] = 1e10f;
  return s;
}

// A transformation curve: (depth, resistivity) points, depths in metres for
// a section, in km as read.
inline SectionStation Curve(double position_m,
                            std::vector<std::pair<float, float>> points) {
  SectionStation s;
  s.name = "T";
  s.profile_position = position_m;
  s.layer_count = 1;
  s.depth_count = static_cast<std::int32_t>(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    s.depth[i] = points[i].first;
    s.depth_resistivity[i] = points[i].second;
  }
  return s;
}

}  // namespace mtvuk::test
