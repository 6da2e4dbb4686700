#include "core/formats/zonge_avg_reader.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/formats/format_text.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using format_text::Lines;
using format_text::Numbers;
using format_text::Trim;
using format_text::Upper;

struct AvgRow {
  double freq = 0.0;
  double z_mag = NAN, z_phz = NAN;                  // mV/km per nT, mrad
  double rho = NAN, rho_perc = NAN, phs_err = NAN;  // Ohm-m, %, mrad
  bool skip = false;
};

// Column indices of a "Skp,Freq,..." header line.
struct Columns {
  int skp = -1, freq = -1, z_mag = -1, z_phz = -1, rho = -1, rho_perc = -1,
      phs_err = -1;
};

Columns ReadColumns(std::string_view line) {
  Columns c;
  int index = 0;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t comma = line.find(',', start);
    const std::string name = Upper(Trim(line.substr(
        start, comma == std::string_view::npos ? comma : comma - start)));
    if (name == "SKP") c.skp = index;
    if (name == "FREQ") c.freq = index;
    if (name == "Z.MAG") c.z_mag = index;
    if (name == "Z.PHZ" || name == "PHZ" || name == "ARES.PHZ") c.z_phz = index;
    if (name == "ARES.MAG") c.rho = index;
    if (name == "ARES.%ERR") c.rho_perc = index;
    if (name == "Z.PERR" || name == "Z.PHZ.ERR") c.phs_err = index;
    ++index;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return c;
}

// Component index of "$Rx.Cmp = Zxy" (or Zxyr); -1 for anything else.
int Component(std::string_view value) {
  const std::string v = Upper(Trim(value));
  if (v.size() < 3 || v[0] != 'Z') return -1;
  const std::string e = v.substr(1, 2);
  return e == "XX"   ? kXx
         : e == "XY" ? kXy
         : e == "YX" ? kYx
         : e == "YY" ? kYy
                     : -1;
}

double At(const std::vector<double>& n, int index) {
  return index >= 0 && index < static_cast<int>(n.size()) ? n[index] : NAN;
}

// Median of the phases (degrees) of a component.
double MedianPhase(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

}  // namespace

bool ReadZongeAvg(std::string_view text,
                  TransferFunction& tf,
                  std::string& error) {
  tf = TransferFunction{};
  tf.format = kZongeAvgFormat;
  std::map<std::string, std::string> head;
  std::array<std::vector<AvgRow>, 4> rows;
  Columns columns;
  int component = -1;
  for (std::string_view line : Lines(text)) {
    const std::string_view t = Trim(line);
    if (t.empty()) continue;
    if (t[0] == '$') {
      const std::size_t eq = t.find('=');
      if (eq == std::string_view::npos) continue;
      const std::string key = Upper(Trim(t.substr(1, eq - 1)));
      const std::string_view value = Trim(t.substr(eq + 1));
      if (key == "RX.CMP") {
        component = Component(value);
      } else if (head.find(key) == head.end()) {
        head[key] = std::string(value);
      }
      continue;
    }
    if (Upper(t.substr(0, 4)) == "SKP," || Upper(t.substr(0, 5)) == "FREQ,") {
      columns = ReadColumns(t);
      continue;
    }
    if (component < 0 || columns.freq < 0) continue;
    const std::vector<double> n = Numbers(t);
    AvgRow r;
    r.freq = At(n, columns.freq);
    r.skip = columns.skp >= 0 && At(n, columns.skp) == 0.0;
    r.z_mag = At(n, columns.z_mag);
    r.z_phz = At(n, columns.z_phz);
    r.rho = At(n, columns.rho);
    r.rho_perc = At(n, columns.rho_perc);
    r.phs_err = At(n, columns.phs_err);
    rows[component].push_back(r);
  }
  if (rows[kXy].empty() || rows[kYx].empty()) {
    error =
        "The file has no Zxy and Zyx blocks ('$Rx.Cmp = Zxy' with rows "
        "under a 'Skp,Freq,...' header).";
    return false;
  }
  if (columns.z_phz < 0 || (columns.z_mag < 0 && columns.rho < 0)) {
    error =
        "The column header names no phase (Z.phz) or no magnitude "
        "(Z.mag, ARes.mag).";
    return false;
  }
  // Station, position.
  for (const char* key : {"STN.NAME", "RX.STN", "RX.GDPSTN"}) {
    auto it = head.find(key);
    if (it != head.end() && !Trim(it->second).empty()) {
      tf.station = std::string(Trim(it->second));
      break;
    }
  }
  if (!tf.station.empty() && tf.station.front() == '"' &&
      tf.station.back() == '"' && tf.station.size() >= 2)
    tf.station = tf.station.substr(1, tf.station.size() - 2);
  double v = 0.0;
  if (ParseNumber(head["GPS.LAT"], v)) tf.lat = v;
  if (ParseNumber(head["GPS.LON"], v)) tf.lon = v;
  if (auto it = head.find("RX.CENTER"); it != head.end()) {
    // "easting:northing:elevation m".
    std::string c = it->second;
    const std::size_t last = c.rfind(':');
    if (last != std::string::npos) {
      const std::vector<double> n = Numbers(c.substr(last + 1));
      if (!n.empty()) tf.elev = n[0];
    }
  }
  // Points on the XY frequencies; the other components matched by frequency.
  bool from_rho = false;
  std::array<std::vector<double>, 4> phases;
  for (const AvgRow& xy : rows[kXy]) {
    TfPoint p;
    p.freq = xy.freq;
    bool skipped = false;
    for (int e = 0; e < 4; ++e) {
      const AvgRow* r = nullptr;
      for (const AvgRow& c : rows[e]) {
        if (std::fabs(c.freq - xy.freq) <= 1e-4 * std::fabs(xy.freq)) r = &c;
      }
      if (r == nullptr) {
        // A component without a block is 0; one whose block lacks this
        // frequency makes the point missing.
        if (!rows[e].empty()) p.missing = true;
        continue;
      }
      skipped = skipped || r->skip;
      double mag = r->z_mag;
      if (!std::isfinite(mag) && std::isfinite(r->rho) && r->rho > 0.0) {
        mag = std::sqrt(r->rho * r->freq / 0.2);
        from_rho = true;
      }
      if (!std::isfinite(mag) || !std::isfinite(r->z_phz)) {
        p.missing = true;
        continue;
      }
      const double phase = r->z_phz / 1000.0;
      p.z[e] = std::polar(mag, phase);
      phases[e].push_back(std::atan2(std::sin(phase), std::cos(phase)) *
                          kDegPerRad);
      if (e == kXy || e == kYx) {
        const int m = e == kXy ? 0 : 1;
        const double rho = 0.2 * mag * mag / r->freq;
        if (std::isfinite(r->rho_perc) && r->rho_perc > 0.0)
          p.rho_err[m] = rho * r->rho_perc / 100.0;
        if (std::isfinite(r->phs_err) && r->phs_err > 0.0)
          p.phs_err[m] = r->phs_err / 1000.0 * kDegPerRad;
      }
    }
    if (skipped) p.missing = true;  // edited out in MTEdit
    tf.points.push_back(p);
  }
  if (from_rho)
    tf.notes.push_back("Z=from ARes.mag and Z.phz (|Z| = sqrt(rho f / 0.2))");
  // Polarity: the XY phase of the sounding's convention lies in (-90, 90],
  // the YX phase outside it.
  const double xy = MedianPhase(phases[kXy]);
  const double yx = MedianPhase(phases[kYx]);
  if (std::fabs(xy) > 90.0 && std::fabs(yx) < 90.0) {
    for (TfPoint& p : tf.points) {
      for (auto& z : p.z) z = -z;
    }
    tf.notes.push_back(
        "POLARITY=tensor negated (XY phase in the third quadrant)");
    char text_warning[240];
    std::snprintf(text_warning,
                  sizeof text_warning,
                  "The XY phases of the file lie near %.0f deg and the YX "
                  "phases near %.0f deg: the tensor is negated (180 deg) so "
                  "that XY lies in the first quadrant.",
                  xy,
                  yx);
    tf.warnings.push_back(text_warning);
  }
  if (tf.points.empty()) {
    error = "No frequency of the Zxy block is usable.";
    return false;
  }
  return true;
}

}  // namespace mtvuk
