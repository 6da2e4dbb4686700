// The options of a section picture made without a window ("mtvuk-cli
// section", "mtvuk --export-section"): which file, which profile, how it is
// drawn and where the picture goes. Both programs check them the same way.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/files/int_file.h"
#include "core/platform/ui.h"
#include "core/section/section_polarisation.h"

namespace mtvuk {

struct SectionPictureOptions {
  std::string file;
  // "auto", or the two ends of a straight profile: easting and northing of
  // the first, then of the second end, metres (the map's axes).
  std::string profile = "auto";
  bool tomography = false;
  int palette = 0;
  // How the tomography fills the space between stations: the index of
  // kInterpolationNames (joined layers, level depths, nearest station).
  int interpolation = 0;
  // Every sounding (XY and YX of a station side by side), or only those of
  // one polarisation.
  SectionPolarisation polarisation = SectionPolarisation::kBoth;
  double depth_max_km = 0.0;  // 0: the section's own depth
  bool log_depth = false;
  std::string out;
  int width = 1600;
  int height = 900;
};

inline constexpr std::array<const char*, 3> kInterpolationNames = {
    "layers", "level", "nearest"};
inline constexpr int kMinPictureSide = 100;
inline constexpr int kMaxPictureSide = 10000;
inline constexpr double kMaxSectionDepthKm = 10000.0;

// Reads "FILE [--profile auto|X0,Y0,X1,Y1] [--logging|--tomography]
// [--palette 0..5] [--interpolation layers|level|nearest]
// [--polarisation both|xy|yx] [--depth-max KM] [--log-depth] --out OUT
// [--size WxH]" (in any order) into `options`, which
// start from their defaults. False with the reason in `error` for an unknown
// option, a missing or bad value, or a picture type other than .png, .pdf,
// .svg.
bool ParseSectionArguments(const std::vector<std::string>& args,
                           SectionPictureOptions& options,
                           std::string& error);

// The same arguments written back, for the program that draws them.
std::vector<std::string> SectionArguments(const SectionPictureOptions& o);

// Reads the stations of the options' file (INT or TRF; a refused file is
// reported through `ui`), keeps those of the options' polarisation and gives
// each its position along the profile. False, with the reason in `error`
// when it is not one of the file's messages: no sounding of the
// polarisation, no station on the profile.
bool PlaceSectionStations(const SectionPictureOptions& options,
                          Ui& ui,
                          std::vector<SectionStation>& stations,
                          ResultFileKind& kind,
                          std::string& error);

}  // namespace mtvuk
