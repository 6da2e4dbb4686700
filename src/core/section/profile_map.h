// The logic of the map on which a profile is chosen ("Plot Map"): where the
// stations fall in the window, the scale choices, the profile the user
// designs point by point, and where the station names go.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/files/int_file.h"
#include "core/platform/ui.h"
#include "core/section/profile.h"

namespace mtvuk {

inline constexpr char kMapHelpText[] =
    "CREATION SECTION\nTurn ON DESIGN-window\nMark points by left button\n"
    "Undo - Press right button\nTo Finish - double click left button\n"
    "AUTO -make profile automatically";

// The scale choices of the map, in the order of its list.
inline constexpr std::array<const char*, 9> kMapScaleNames = {
    "Math", "100 m", "500 m", "1 km", "5 km", "10 km", "50 km", "100 km",
    "NO SCALE"};
inline constexpr int kMapScaleMath = 0;
inline constexpr int kMapScaleNone = 8;

// The spacing of the grid and the length of the scale bar of a choice, in
// metres: the named length, a round length fitted to the map for "Math"
// (`map_width_m` wide), 0 for "NO SCALE".
double MapScaleSpacing(int choice, double map_width_m);

// A pixel of the map window, y downwards.
struct PixelPoint {
  double x = 0.0;
  double y = 0.0;
};

// Metres to pixels and back with one scale on both axes, easting to the
// right and northing up.
class MapFrame {
 public:
  // Fits the points (and a border of `margin` pixels) into a window of
  // `width` x `height` pixels, centred. Without points, or with all points
  // in one place, the window spans 1 km.
  MapFrame(const std::vector<MapPoint>& points,
           int width,
           int height,
           int margin);

  PixelPoint ToPixel(MapPoint p) const;
  MapPoint ToMap(PixelPoint p) const;
  double metres_per_pixel() const { return metres_per_pixel_; }
  // The map area that the window shows, in metres.
  MapPoint low() const { return ToMap({0.0, static_cast<double>(height_)}); }
  MapPoint high() const { return ToMap({static_cast<double>(width_), 0.0}); }

 private:
  MapPoint centre_;
  double metres_per_pixel_ = 1.0;
  int width_;
  int height_;
};

// Values k * spacing within [low, high]: the grid lines of one axis, none
// when they would be closer than `min_gap` pixels.
std::vector<double> GridLines(double low,
                              double high,
                              double spacing,
                              double metres_per_pixel,
                              double min_gap);

// The profile drawn with the mouse while "&Design" is on.
class ProfileDesign {
 public:
  bool designing() const { return designing_; }
  bool finished() const { return finished_; }
  const std::vector<MapPoint>& points() const { return points_; }

  // "&Design" on starts a new profile; off keeps the points made so far.
  void SetDesigning(bool on);
  // Left button: a new point, while designing and not finished.
  bool AddPoint(MapPoint p);
  // Right button: the last point goes; the profile is open again and
  // designing goes on.
  bool Undo();
  // Double click: the profile is complete when it has two distinct points;
  // designing ends.
  bool Finish();
  // "&Auto": the straight profile that best fits the points; false (and
  // nothing changes) when they are fewer than two distinct places.
  bool Auto(const std::vector<MapPoint>& points);
  // True when the profile can take stations: finished, two points or more.
  bool Usable() const { return finished_ && points_.size() >= 2; }

 private:
  std::vector<MapPoint> points_;
  bool designing_ = false;
  bool finished_ = false;
};

// The map points of the selected stations.
std::vector<MapPoint> SelectedMapPoints(
    const std::vector<SectionStation>& stations);

// "Set &PR": gives the selected stations their positions along the profile
// and the others -1. Refuses (caption "SET PROFILE", nothing changed) when
// the profile is not complete or fewer than two stations are selected.
bool SetProfilePositions(std::vector<SectionStation>& stations,
                         const ProfileDesign& design,
                         Ui& ui);

// A rectangle of the window in pixels.
struct LabelBox {
  double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
  bool Overlaps(const LabelBox& other) const;
};

// Places a label of the given size beside each anchor (right, left, above,
// below, in this order of preference) where it overlaps no label placed
// before and no other anchor's marker (`marker` pixels wide); nullopt when
// every place is taken, so that names never cover each other.
std::vector<std::optional<LabelBox>> PlaceLabels(
    const std::vector<PixelPoint>& anchors,
    const std::vector<std::pair<double, double>>& sizes,
    double marker);

// The label of a station: its name, and with "&Layers" its number of layers
// (INT) or of depth values (TRF) in brackets.
std::string StationMapLabel(const SectionStation& station,
                            bool layers,
                            bool trf);

}  // namespace mtvuk
