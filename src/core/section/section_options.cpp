#include "core/section/section_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "core/platform/c_number.h"
#include "core/section/profile.h"
#include "core/section/section_model.h"

namespace mtvuk {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
    return static_cast<char>(std::tolower(c));
  });
  return s;
}

// A whole decimal number and nothing else.
bool WholeNumber(const std::string& text, long& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  value = std::stol(text);
  return true;
}

// A finite decimal number and nothing else ("." as decimal point).
bool Decimal(const std::string& text, double& value) {
  return ParseNumber(text, value) && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

bool ParseProfile(const std::string& text,
                  std::array<double, 4>& ends,
                  std::string& error) {
  const std::vector<std::string> parts = Split(text, ',');
  bool ok = parts.size() == 4;
  for (std::size_t i = 0; ok && i < 4; ++i) ok = Decimal(parts[i], ends[i]);
  if (ok && ends[0] == ends[2] && ends[1] == ends[3]) {
    error = "--profile '" + text + "': the two ends are the same point";
    return false;
  }
  if (!ok) {
    error = "--profile '" + text +
            "': give auto or X0,Y0,X1,Y1 (easting and northing of both "
            "ends, m)";
  }
  return ok;
}

}  // namespace

bool ParseSectionArguments(const std::vector<std::string>& args,
                           SectionPictureOptions& o,
                           std::string& error) {
  o = SectionPictureOptions{};
  bool logging = false;
  bool out_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--logging") {
      logging = true;
    } else if (a == "--tomography") {
      o.tomography = true;
    } else if (a == "--log-depth") {
      o.log_depth = true;
    } else if (a == "--profile") {
      if (!value(v)) return false;
      o.profile = v;
    } else if (a == "--palette") {
      if (!value(v)) return false;
      long p = -1;
      if (!WholeNumber(v, p) || p > 5) {
        error = "--palette '" + v + "': give 0, 1, 2, 3, 4 or 5";
        return false;
      }
      o.palette = static_cast<int>(p);
    } else if (a == "--interpolation") {
      if (!value(v)) return false;
      const auto it =
          std::find(kInterpolationNames.begin(), kInterpolationNames.end(), v);
      if (it == kInterpolationNames.end()) {
        error = "--interpolation '" + v + "': give layers, level or nearest";
        return false;
      }
      o.interpolation = static_cast<int>(it - kInterpolationNames.begin());
    } else if (a == "--polarisation") {
      if (!value(v)) return false;
      const std::string name = Lower(v);
      int p = 0;
      while (p < 3 && name != kPolarisationNames[p]) ++p;
      if (p == 3) {
        error = "--polarisation '" + v + "': give both, xy or yx";
        return false;
      }
      o.polarisation = static_cast<SectionPolarisation>(p);
    } else if (a == "--depth-max") {
      if (!value(v)) return false;
      if (!Decimal(v, o.depth_max_km) || o.depth_max_km <= 0.0 ||
          o.depth_max_km > kMaxSectionDepthKm) {
        error = "--depth-max '" + v +
                "': give a depth in km above 0 and "
                "up to 10000";
        return false;
      }
    } else if (a == "--out") {
      if (!value(v)) return false;
      o.out = v;
      out_given = true;
    } else if (a == "--size") {
      if (!value(v)) return false;
      const std::vector<std::string> wh = Split(Lower(v), 'x');
      long w = 0, h = 0;
      if (wh.size() != 2 || !WholeNumber(wh[0], w) || !WholeNumber(wh[1], h) ||
          w < kMinPictureSide || h < kMinPictureSide || w > kMaxPictureSide ||
          h > kMaxPictureSide) {
        error = "--size '" + v +
                "': give WIDTHxHEIGHT in pixels, each "
                "100 to 10000";
        return false;
      }
      o.width = static_cast<int>(w);
      o.height = static_cast<int>(h);
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      error = "one file only: " + o.file + " and " + a;
      return false;
    }
  }
  if (logging && o.tomography) {
    error = "--logging and --tomography exclude each other";
    return false;
  }
  if (o.file.empty()) {
    error = "the INT or TRF file is missing";
    return false;
  }
  if (!out_given || o.out.empty()) {
    error = "--out OUT.png|OUT.pdf|OUT.svg is missing";
    return false;
  }
  const std::size_t dot = o.out.find_last_of('.');
  const std::size_t slash = o.out.find_last_of("/\\");
  const std::string type =
      dot == std::string::npos || (slash != std::string::npos && dot < slash)
          ? std::string()
          : Lower(o.out.substr(dot + 1));
  if (type != "png" && type != "pdf" && type != "svg") {
    error = "--out '" + o.out +
            "': the picture type must be .png, .pdf or "
            ".svg";
    return false;
  }
  std::array<double, 4> ends{};
  if (o.profile != "auto" && !ParseProfile(o.profile, ends, error))
    return false;
  return true;
}

std::vector<std::string> SectionArguments(const SectionPictureOptions& o) {
  char number[64];
  std::vector<std::string> a = {o.file, "--profile", o.profile};
  a.push_back(o.tomography ? "--tomography" : "--logging");
  a.insert(a.end(), {"--palette", std::to_string(o.palette)});
  a.insert(a.end(), {"--interpolation", kInterpolationNames[o.interpolation]});
  a.insert(
      a.end(),
      {"--polarisation", kPolarisationNames[static_cast<int>(o.polarisation)]});
  if (o.depth_max_km > 0.0) {
    std::snprintf(number, sizeof number, "%.17g", o.depth_max_km);
    a.insert(a.end(), {"--depth-max", number});
  }
  if (o.log_depth) a.push_back("--log-depth");
  a.insert(a.end(),
           {"--out",
            o.out,
            "--size",
            std::to_string(o.width) + "x" + std::to_string(o.height)});
  return a;
}

bool PlaceSectionStations(const SectionPictureOptions& options,
                          Ui& ui,
                          std::vector<SectionStation>& stations,
                          ResultFileKind& kind,
                          std::string& error) {
  stations.clear();
  if (!ReadStationFile(options.file, ui, stations, kind)) return false;
  // Stations without anything to draw must not steer the profile either.
  const SectionSource source =
      kind == ResultFileKind::kTrf ? SectionSource::kTrf : SectionSource::kInt;
  const std::size_t read = stations.size();
  std::erase_if(stations, [source](const SectionStation& s) {
    return !StationHasValues(s, source);
  });
  if (stations.empty()) {
    error = options.file + ": no station has a model or a curve to draw";
    return false;
  }
  if (stations.size() < read) {
    char text[160];
    std::snprintf(text,
                  sizeof text,
                  "%zu of the %zu stations have no model or curve to draw "
                  "and are left out",
                  read - stations.size(),
                  read);
    ui.Show(text, "SECTION", Icon::kInformation);
  }
  if (options.polarisation != SectionPolarisation::kBoth) {
    stations = StationsOfPolarisation(stations, options.polarisation);
    if (stations.empty()) {
      const char* mode =
          options.polarisation == SectionPolarisation::kXy ? "XY" : "YX";
      error = options.file + ": no " + mode +
              " sounding to draw (a sounding's polarisation is read from "
              "its name, as in '" +
              mode + " 15125A')";
      return false;
    }
  }
  std::vector<MapPoint> polyline;
  std::vector<MapPoint> points;
  for (SectionStation& s : stations) {
    s.selected = 1;
    points.push_back(StationMapPoint(s));
  }
  if (options.profile == "auto") {
    const auto line = AutoProfile(points);
    // Stations all at one place: a profile of one point.
    if (line) {
      polyline = {(*line)[0], (*line)[1]};
    } else if (!points.empty()) {
      polyline = {points.front()};
    }
  } else {
    std::array<double, 4> e{};
    if (!ParseProfile(options.profile, e, error)) return false;
    polyline = {{e[0], e[1]}, {e[2], e[3]}};
  }
  if (AssignProfilePositions(stations, polyline) == 0) {
    error = options.file + ": no station lies on the profile";
    return false;
  }
  // Stations at different places that all fall on one point of the
  // profile (a line across them, or far away) make no section.
  double lo = stations.front().profile_position, hi = lo;
  for (const SectionStation& s : stations) {
    lo = std::min(lo, s.profile_position);
    hi = std::max(hi, s.profile_position);
  }
  if (AutoProfile(points) && hi - lo < 1.0) {
    error = options.file +
            ": the stations all fall on one point of the profile; draw it "
            "along them (--profile auto)";
    return false;
  }
  return true;
}

}  // namespace mtvuk
