#include "core/section/profile_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/files/fixed_columns.h"

namespace mtvuk {

namespace {

constexpr char kSetProfileCaption[] = "SET PROFILE";
// The span of a map without extent, metres.
constexpr double kEmptyMapSpan = 1000.0;

// The largest of 1, 2, 5 times a power of ten that is not above `length`.
double RoundLength(double length) {
  if (!(length > 0.0) || !std::isfinite(length)) return 0.0;
  const double decade = std::pow(10.0, std::floor(std::log10(length)));
  for (double m : {5.0, 2.0, 1.0}) {
    if (m * decade <= length) return m * decade;
  }
  return decade;
}

}  // namespace

double MapScaleSpacing(int choice, double map_width_m) {
  static constexpr std::array<double, 9> kLengths = {
      0.0, 100.0, 500.0, 1000.0, 5000.0, 10000.0, 50000.0, 100000.0, 0.0};
  if (choice == kMapScaleMath) return RoundLength(map_width_m / 5.0);
  if (choice < 0 || choice >= static_cast<int>(kLengths.size())) return 0.0;
  return kLengths[choice];
}

MapFrame::MapFrame(const std::vector<MapPoint>& points,
                   int width,
                   int height,
                   int margin)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  double e0 = std::numeric_limits<double>::infinity(), e1 = -e0;
  double n0 = e0, n1 = -e0;
  for (const MapPoint& p : points) {
    e0 = std::min(e0, p.east);
    e1 = std::max(e1, p.east);
    n0 = std::min(n0, p.north);
    n1 = std::max(n1, p.north);
  }
  if (points.empty()) e0 = e1 = n0 = n1 = 0.0;
  centre_ = {0.5 * (e0 + e1), 0.5 * (n0 + n1)};
  const double span_e = std::max(e1 - e0, 0.0);
  const double span_n = std::max(n1 - n0, 0.0);
  const double inner_w = std::max(width_ - 2 * margin, 1);
  const double inner_h = std::max(height_ - 2 * margin, 1);
  metres_per_pixel_ = std::max(span_e / inner_w, span_n / inner_h);
  if (!(metres_per_pixel_ > 0.0)) {
    metres_per_pixel_ = kEmptyMapSpan / std::min(inner_w, inner_h);
  }
}

PixelPoint MapFrame::ToPixel(MapPoint p) const {
  return {0.5 * width_ + (p.east - centre_.east) / metres_per_pixel_,
          0.5 * height_ - (p.north - centre_.north) / metres_per_pixel_};
}

MapPoint MapFrame::ToMap(PixelPoint p) const {
  return {centre_.east + (p.x - 0.5 * width_) * metres_per_pixel_,
          centre_.north - (p.y - 0.5 * height_) * metres_per_pixel_};
}

std::vector<double> GridLines(double low,
                              double high,
                              double spacing,
                              double metres_per_pixel,
                              double min_gap) {
  std::vector<double> lines;
  if (!(spacing > 0.0) || !(metres_per_pixel > 0.0) ||
      spacing / metres_per_pixel < min_gap) {
    return lines;
  }
  const double first = std::ceil(low / spacing);
  const double last = std::floor(high / spacing);
  for (double k = first; k <= last && lines.size() < 10000; k += 1.0) {
    lines.push_back(k * spacing);
  }
  return lines;
}

void ProfileDesign::SetDesigning(bool on) {
  if (on && !designing_) {
    points_.clear();
    finished_ = false;
  }
  designing_ = on;
}

bool ProfileDesign::AddPoint(MapPoint p) {
  if (!designing_ || finished_) return false;
  points_.push_back(p);
  return true;
}

bool ProfileDesign::Undo() {
  if (points_.empty()) return false;
  points_.pop_back();
  // The user goes on from the point before, as with any undo while drawing.
  finished_ = false;
  designing_ = true;
  return true;
}

bool ProfileDesign::Finish() {
  if (!designing_) return false;
  // The first click of the double click has placed the last point already;
  // a double click on the point before it must not count twice.
  while (points_.size() >= 2 &&
         points_.back().east == points_[points_.size() - 2].east &&
         points_.back().north == points_[points_.size() - 2].north) {
    points_.pop_back();
  }
  if (points_.size() < 2) return false;
  finished_ = true;
  designing_ = false;
  return true;
}

bool ProfileDesign::Auto(const std::vector<MapPoint>& points) {
  const auto line = AutoProfile(points);
  if (!line) return false;
  points_.assign(line->begin(), line->end());
  finished_ = true;
  designing_ = false;
  return true;
}

std::vector<MapPoint> SelectedMapPoints(
    const std::vector<SectionStation>& stations) {
  std::vector<MapPoint> points;
  for (const SectionStation& s : stations) {
    if (s.selected != 0) points.push_back(StationMapPoint(s));
  }
  return points;
}

bool SetProfilePositions(std::vector<SectionStation>& stations,
                         const ProfileDesign& design,
                         Ui& ui) {
  if (!design.Usable()) {
    ui.Show(
        "Draw the profile first: turn on Design and double click its last "
        "point, or press Auto",
        kSetProfileCaption,
        Icon::kExclamation);
    return false;
  }
  if (SelectedMapPoints(stations).size() < 2) {
    ui.Show("Select at least two stations in the list of the file",
            kSetProfileCaption,
            Icon::kExclamation);
    return false;
  }
  std::vector<SectionStation> placed = stations;
  AssignProfilePositions(placed, design.points());
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const SectionStation& s : placed) {
    if (s.profile_position < 0.0) continue;
    lo = std::min(lo, s.profile_position);
    hi = std::max(hi, s.profile_position);
  }
  if (!(hi > lo)) {
    ui.Show("The selected stations all fall on one point of the profile",
            kSetProfileCaption,
            Icon::kExclamation);
    return false;
  }
  stations = std::move(placed);
  return true;
}

bool LabelBox::Overlaps(const LabelBox& o) const {
  return left < o.left + o.width && o.left < left + width &&
         top < o.top + o.height && o.top < top + height;
}

std::vector<std::optional<LabelBox>> PlaceLabels(
    const std::vector<PixelPoint>& anchors,
    const std::vector<std::pair<double, double>>& sizes,
    double marker) {
  const double half = 0.5 * marker;
  const double gap = 2.0;
  std::vector<LabelBox> markers;
  for (const PixelPoint& a : anchors) {
    markers.push_back({a.x - half, a.y - half, marker, marker});
  }
  std::vector<LabelBox> placed;
  std::vector<std::optional<LabelBox>> result(anchors.size());
  for (std::size_t i = 0; i < anchors.size() && i < sizes.size(); ++i) {
    const auto [w, h] = sizes[i];
    const PixelPoint a = anchors[i];
    const std::array<LabelBox, 4> candidates = {
        LabelBox{a.x + half + gap, a.y - 0.5 * h, w, h},
        LabelBox{a.x - half - gap - w, a.y - 0.5 * h, w, h},
        LabelBox{a.x - 0.5 * w, a.y - half - gap - h, w, h},
        LabelBox{a.x - 0.5 * w, a.y + half + gap, w, h}};
    for (const LabelBox& box : candidates) {
      bool free = true;
      for (const LabelBox& other : placed) free = free && !box.Overlaps(other);
      for (std::size_t j = 0; j < markers.size(); ++j) {
        if (j != i) free = free && !box.Overlaps(markers[j]);
      }
      if (free) {
        result[i] = box;
        placed.push_back(box);
        break;
      }
    }
  }
  return result;
}

std::string StationMapLabel(const SectionStation& station,
                            bool layers,
                            bool trf) {
  std::string name = station.name;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (!layers) return name;
  return columns::Format(
      "%s [%d]",
      name.c_str(),
      trf ? station.depth_count : static_cast<int>(station.layer_count));
}

}  // namespace mtvuk
