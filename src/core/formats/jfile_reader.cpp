#include "core/formats/jfile_reader.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/formats/format_text.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using format_text::Lines;
using format_text::Numbers;
using format_text::StartsWithNoCase;
using format_text::Trim;
using format_text::Upper;

constexpr double kMissing = -999.0;

struct JRow {
  std::vector<double> values;  // the numbers of the row
};

bool Missing(double v) {
  return !std::isfinite(v) || std::fabs(v - kMissing) < 1e-6;
}

// The value after "=" of a ">KEY =" line; unset when empty or not a number.
std::optional<double> HeadNumber(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  double v = 0.0;
  if (!ParseNumber(Trim(line.substr(eq + 1)), v) || !std::isfinite(v))
    return std::nullopt;
  return v;
}

// Index of the period in `periods` (relative match), or -1.
int Find(const std::vector<double>& periods, double t) {
  for (std::size_t k = 0; k < periods.size(); ++k) {
    if (std::fabs(periods[k] - t) <= 1e-5 * std::fabs(t))
      return static_cast<int>(k);
  }
  return -1;
}

}  // namespace

bool ReadJFile(std::string_view text,
               TransferFunction& tf,
               std::string& error) {
  tf = TransferFunction{};
  tf.format = kJFileFormat;
  const std::vector<std::string_view> lines = Lines(text);
  std::map<std::string, std::vector<JRow>> blocks;
  std::map<std::string, std::string> titles;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view t = Trim(lines[i]);
    if (t.empty() || t[0] == '#') continue;
    if (t[0] == '>') {
      const std::string up = Upper(t);
      if (up.rfind(">LATITUDE", 0) == 0) tf.lat = HeadNumber(t);
      if (up.rfind(">LONGITUDE", 0) == 0) tf.lon = HeadNumber(t);
      if (up.rfind(">ELEVATION", 0) == 0) tf.elev = HeadNumber(t);
      if (up.rfind(">AZIMUTH", 0) == 0) {
        if (auto a = HeadNumber(t); a && *a != 0.0) {
          char note[80];
          std::snprintf(
              note, sizeof note, "AZIMUTH=%.2f deg (as processed)", *a);
          tf.notes.push_back(note);
        }
      }
      continue;
    }
    // A block: its title ("ZXY S.I."), the count, then the rows.
    const std::string key = Upper(t.substr(0, t.find_first_of(" \t")));
    const bool known =
        key.size() == 3 && (key[0] == 'Z' || key[0] == 'R' || key[0] == 'T');
    if (known && i + 1 < lines.size()) {
      int others = 0;
      const std::vector<double> count = Numbers(lines[i + 1], &others);
      if (count.size() == 1 && others == 0 && count[0] >= 0 && count[0] < 1e6) {
        const int n = static_cast<int>(count[0]);
        std::vector<JRow>& rows = blocks[key];
        titles[key] = std::string(t);
        rows.clear();
        i += 1;
        for (int k = 0; k < n && i + 1 < lines.size(); ++k) {
          ++i;
          rows.push_back({Numbers(lines[i])});
        }
        continue;
      }
    }
    // The station name stands alone on the line before the first block.
    if (tf.station.empty() && blocks.empty()) tf.station = std::string(t);
  }
  static const char* const kNames[4] = {"ZXX", "ZXY", "ZYX", "ZYY"};
  for (const char* name : {"ZXY", "ZYX"}) {
    if (blocks.find(name) == blocks.end()) {
      error = std::string("The file has no ") + name +
              " block (title, count, rows of period, real, imaginary, "
              "error).";
      return false;
    }
  }
  // Periods of the XY block, in its order.
  std::vector<double> periods;
  for (const JRow& r : blocks["ZXY"]) {
    if (r.values.empty() || Missing(r.values[0]) || !(r.values[0] > 0.0))
      continue;
    periods.push_back(r.values[0]);
  }
  std::vector<TfPoint> points(periods.size());
  for (std::size_t k = 0; k < periods.size(); ++k) {
    points[k].freq = 1.0 / periods[k];
    points[k].missing = true;
  }
  std::vector<std::array<bool, 4>> seen(periods.size(),
                                        {false, false, false, false});
  for (int e = 0; e < 4; ++e) {
    auto it = blocks.find(kNames[e]);
    if (it == blocks.end()) continue;
    for (const JRow& r : it->second) {
      if (r.values.size() < 4 || Missing(r.values[0])) continue;
      const int k = Find(periods, r.values[0]);
      if (k < 0 || Missing(r.values[1]) || Missing(r.values[2])) continue;
      // exp(-i omega t) in the file: the conjugate is the sounding's value.
      points[k].z[e] = {r.values[1], -r.values[2]};
      if (!Missing(r.values[3]) && r.values[3] > 0.0)
        points[k].var[e] = r.values[3] * r.values[3];
      seen[k][e] = true;
    }
  }
  const bool diagonal = blocks.count("ZXX") && blocks.count("ZYY");
  for (std::size_t k = 0; k < points.size(); ++k) {
    points[k].missing = !(seen[k][1] && seen[k][2]) ||
                        (diagonal && !(seen[k][0] && seen[k][3]));
  }
  tf.notes.push_back("SIGN=exp(-i omega t) in the file (conjugated)");
  if (!diagonal) tf.notes.push_back("ZXX, ZYY=0 (no blocks in the file)");
  // Units: the file's own resistivity 0.2 T |Z|^2 tells mV/km per nT from
  // ohms whatever the titles say.
  double factor = 1.0;
  std::vector<double> ratios;
  for (const char* name : {"RXY", "RYX"}) {
    auto it = blocks.find(name);
    if (it == blocks.end()) continue;
    const int e = name[1] == 'X' ? 1 : 2;
    for (const JRow& r : it->second) {
      if (r.values.size() < 2 || Missing(r.values[0]) || Missing(r.values[1]) ||
          !(r.values[1] > 0.0))
        continue;
      const int k = Find(periods, r.values[0]);
      if (k < 0 || !seen[k][e]) continue;
      const double z = std::abs(points[k].z[e]);
      ratios.push_back(0.2 * periods[k] * z * z / r.values[1]);
    }
  }
  const std::string title = titles["ZXY"];
  if (!ratios.empty()) {
    std::nth_element(
        ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    const double ratio = ratios[ratios.size() / 2];
    // In ohms the ratio is (4 pi 1e-4)^2 = 1.58e-6.
    const double ohms = 1.0 / (kFieldUnitsPerOhm * kFieldUnitsPerOhm);
    if (std::fabs(std::log10(ratio)) < 0.05) {
      factor = 1.0;
      tf.notes.push_back("UNITS=mV/km/nT (checked against RXY, RYX; title '" +
                         title.substr(4) + "')");
    } else if (std::fabs(std::log10(ratio / ohms)) < 0.05) {
      factor = kFieldUnitsPerOhm;
      tf.notes.push_back("UNITS=ohm (checked against RXY, RYX), converted");
    } else {
      char text_error[200];
      std::snprintf(text_error,
                    sizeof text_error,
                    "The impedances do not match the file's own apparent "
                    "resistivities (0.2 T |Z|^2 / rho = %.3g): the units "
                    "are not known.",
                    ratio);
      error = text_error;
      return false;
    }
  } else {
    tf.notes.push_back("UNITS=mV/km/nT assumed (no RXY, RYX blocks)");
  }
  for (TfPoint& p : points) {
    for (int e = 0; e < 4; ++e) {
      p.z[e] *= factor;
      p.var[e] *= factor * factor;
    }
  }
  tf.points = std::move(points);
  if (tf.points.empty()) {
    error = "The ZXY block holds no period.";
    return false;
  }
  return true;
}

}  // namespace mtvuk
