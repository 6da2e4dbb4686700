#include "core/formats/transfer_function.h"

#include <algorithm>
#include <cstdio>

#include "core/fielddata/field_file_reader.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

bool Usable(double v) { return std::isfinite(v) && v > 0.0; }

bool FiniteTensor(const TfPoint& p) {
  for (const auto& z : p.z) {
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag())) return false;
  }
  return true;
}

// A list of frequencies for a message, cut after twelve.
std::string FrequencyList(const std::vector<double>& freqs) {
  std::string list;
  for (std::size_t i = 0; i < freqs.size(); ++i) {
    if (i == 12) {
      list += ", ...";
      break;
    }
    list += (i ? ", " : "") + Format("%.4g Hz", freqs[i]);
  }
  return list;
}

void StoreHead(const TransferFunction& tf, SoundingBuffer& sb) {
  std::vector<std::string> head;
  head.push_back("    DATAID=\"" + tf.station + "\"");
  head.push_back("    FORMAT=" + tf.format);
  if (tf.lat && tf.lon) {
    sb.lat = Format("%.6f", *tf.lat);
    sb.lon = Format("%.6f", *tf.lon);
    head.push_back("    LAT=" + sb.lat);
    head.push_back("    LONG=" + sb.lon);
  }
  if (tf.elev) {
    sb.elev = Format("%.2f", *tf.elev);
    head.push_back("    ELEV=" + sb.elev);
  }
  if (tf.declination)
    head.push_back("    DECL=" + Format("%.2f", *tf.declination));
  for (const std::string& note : tf.notes) head.push_back("    " + note);
  sb.header = ">HEAD\n";
  for (const std::string& line : head) sb.header += line + "\n";
  for (int i = 0; i <= 12; ++i) sb.listing[i] = "            ";
  for (int i = 0; i < 10 && i < static_cast<int>(head.size()); ++i)
    sb.listing[i] = head[i];
  sb.listing[10] = "*****************************";
}

}  // namespace

void ErrorsFromImpedanceError(std::complex<double> z,
                              double e,
                              double freq,
                              float& rho_err,
                              float& phs_err) {
  const double abs_z = std::abs(z);
  const double rho = 0.2 * abs_z * abs_z / freq;
  const double k = 1.0 + 2.0 * e / abs_z;
  rho_err = ToF32(0.5 * (k * rho - rho / k));
  phs_err = ToF32(std::atan2(e, abs_z) * kDegPerRad);
}

void RotateTensor(TfPoint& p, double angle) {
  const double a = angle / kDegPerRad;
  const double c = std::cos(a), s = std::sin(a);
  // Z = M Z' M^T with M = [[c, -s], [s, c]].
  const double m[2][2] = {{c, -s}, {s, c}};
  std::array<std::complex<double>, 4> z{};
  std::array<double, 4> var{};
  for (int p_row = 0; p_row < 2; ++p_row) {
    for (int q_col = 0; q_col < 2; ++q_col) {
      std::complex<double> sum = 0.0;
      double v = 0.0;
      for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
          const double w = m[p_row][i] * m[q_col][j];
          sum += w * p.z[2 * i + j];
          v += w * w * p.var[2 * i + j];
        }
      }
      z[2 * p_row + q_col] = sum;
      var[2 * p_row + q_col] = v;
    }
  }
  p.z = z;
  p.var = var;
}

bool StoreTransferFunction(const TransferFunction& tf,
                           SoundingBuffer& sb,
                           Ui& ui,
                           const char* caption,
                           double default_error,
                           TfStoreReport* report) {
  TfStoreReport local;
  TfStoreReport& r = report ? *report : local;
  r = TfStoreReport{};
  r.frequencies_in_file = static_cast<int>(tf.points.size());
  ClearSoundingBuffer(sb);
  std::vector<double> dropped, out_of_range, defaulted;
  int from_var = 0, from_rho_phs = 0;
  int n = 0;
  bool too_many = false;
  for (const TfPoint& p : tf.points) {
    if (p.missing || !Usable(p.freq) || !FiniteTensor(p) ||
        std::abs(p.z[kXy]) == 0.0 || std::abs(p.z[kYx]) == 0.0) {
      dropped.push_back(p.freq);
      continue;
    }
    if (n == MaxFreq) {
      too_many = true;
      continue;
    }
    sb.freq[n] = ToF32(p.freq);
    PointArray* re[4] = {&sb.zxxr, &sb.zxyr, &sb.zyxr, &sb.zyyr};
    PointArray* im[4] = {&sb.zxxi, &sb.zxyi, &sb.zyxi, &sb.zyyi};
    for (int e = 0; e < 4; ++e) {
      (*re[e])[n] = ToF32(p.z[e].real());
      (*im[e])[n] = ToF32(p.z[e].imag());
    }
    float* rho_err[2] = {&sb.rhoxy_err[n], &sb.rhoyx_err[n]};
    float* phs_err[2] = {&sb.phsxy_err[n], &sb.phsyx_err[n]};
    bool defaulted_here = false;
    for (int m = 0; m < 2; ++m) {
      const int e = m == 0 ? kXy : kYx;
      if (Usable(p.rho_err[m]) && Usable(p.phs_err[m])) {
        *rho_err[m] = ToF32(p.rho_err[m]);
        *phs_err[m] = ToF32(p.phs_err[m]);
        ++from_rho_phs;
      } else if (Usable(p.var[e])) {
        ErrorsFromImpedanceError(
            p.z[e], std::sqrt(p.var[e]), p.freq, *rho_err[m], *phs_err[m]);
        ++from_var;
      } else {
        ErrorsFromImpedanceError(p.z[e],
                                 default_error * std::abs(p.z[e]),
                                 p.freq,
                                 *rho_err[m],
                                 *phs_err[m]);
        defaulted_here = true;
      }
    }
    // A value beyond the stored numbers' range (or an error computed from
    // one) would be stored as infinity or NaN: the point is left out.
    bool fits = sb.freq[n] > 0.0f && std::isfinite(sb.freq[n]);
    for (int i = 1; i < kSoundingArrays; ++i)
      fits = fits && std::isfinite(sb.Array(i)[n]);
    if (!fits) {
      for (int i = 0; i < kSoundingArrays; ++i) sb.Array(i)[n] = 0.0f;
      out_of_range.push_back(p.freq);
      continue;
    }
    if (defaulted_here) defaulted.push_back(p.freq);
    ++n;
  }
  sb.nfreq = n;
  sb.station = tf.station.substr(0, 12);
  r.missing_points = static_cast<int>(dropped.size() + out_of_range.size());
  r.default_errors = static_cast<int>(defaulted.size());
  if (n == 0) {
    ui.Show("No frequency of the " + tf.format +
                " file holds usable impedances (all are missing, not numbers "
                "or out "
                "of range)",
            caption,
            Icon::kStop);
    return false;
  }
  StoreHead(tf, sb);
  BuildSoundingListing(sb);
  for (const std::string& w : tf.warnings)
    ui.Show(w, caption, Icon::kExclamation);
  if (too_many) {
    char text[128];
    std::snprintf(text,
                  sizeof text,
                  "The file holds more than %i frequencies;\nonly the first "
                  "%i are read.",
                  MaxFreq,
                  MaxFreq);
    ui.Show(text, "TOO MANY FREQUENCIES", Icon::kExclamation);
  }
  if (!dropped.empty()) {
    char head[160];
    std::snprintf(head,
                  sizeof head,
                  "%i of the file's frequencies are left out: their values "
                  "are missing or not numbers:\n",
                  static_cast<int>(dropped.size()));
    ui.Show(head + FrequencyList(dropped), caption, Icon::kExclamation);
  }
  if (!out_of_range.empty()) {
    char head[200];
    std::snprintf(head,
                  sizeof head,
                  "%i of the file's frequencies are left out: a value or "
                  "its error lies beyond the range a sounding stores "
                  "(1.2E-38 to 3.4E+38):\n",
                  static_cast<int>(out_of_range.size()));
    ui.Show(head + FrequencyList(out_of_range), caption, Icon::kExclamation);
  }
  const int defaulted_count = static_cast<int>(defaulted.size());
  if (defaulted_count == n) {
    r.error_source = "default";
    ui.Show(Format("The file has no errors:\nthe impedance errors are set "
                   "to %.3g %% of |Z|.",
                   default_error * 100.0),
            caption,
            Icon::kExclamation);
  } else {
    r.error_source = from_rho_phs > 0 ? "RHO/PHS errors" : "Z .VAR";
    if (defaulted_count > 0) {
      ui.Show(Format("The file gives no error (a variance of 0 or below, or "
                     "none) at some frequencies;\ntheir impedance errors are "
                     "set to %.3g %% of |Z|:\n",
                     default_error * 100.0) +
                  FrequencyList(defaulted),
              caption,
              Icon::kExclamation);
    }
  }
  return true;
}

TransferFunction TransferFunctionFromSounding(const SoundingBuffer& sb) {
  TransferFunction tf;
  tf.format = "sounding";
  tf.station = sb.station;
  double lat = 0.0, lon = 0.0;
  // Decimal degrees or deg:min:sec, as the sounding keeps them.
  auto degrees = [](const std::string& text, double& out) {
    if (text.empty()) return false;
    const bool negative = text.find('-') != std::string::npos;
    double parts[3] = {0.0, 0.0, 0.0};
    int count = 0;
    std::size_t start = 0;
    while (count < 3) {
      const std::size_t colon = text.find(':', start);
      if (!ParseNumber(
              text.substr(start,
                          colon == std::string::npos ? std::string::npos
                                                     : colon - start),
              parts[count]))
        return false;
      ++count;
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
    const double magnitude =
        std::fabs(parts[0]) + parts[1] / 60.0 + parts[2] / 3600.0;
    out = negative ? -magnitude : magnitude;
    return std::isfinite(out);
  };
  if (degrees(sb.lat, lat) && degrees(sb.lon, lon) &&
      (lat != 0.0 || lon != 0.0)) {
    tf.lat = lat;
    tf.lon = lon;
  }
  // "0000" is the text of a sounding without an elevation.
  double elev = 0.0;
  if (sb.elev != "0000" && ParseNumber(sb.elev, elev) && std::isfinite(elev))
    tf.elev = elev;
  for (int k = 0; k < sb.nfreq && k < MaxFreq; ++k) {
    TfPoint p;
    p.freq = sb.freq[k];
    p.z[kXx] = {sb.zxxr[k], sb.zxxi[k]};
    p.z[kXy] = {sb.zxyr[k], sb.zxyi[k]};
    p.z[kYx] = {sb.zyxr[k], sb.zyxi[k]};
    p.z[kYy] = {sb.zyyr[k], sb.zyyi[k]};
    const double rho_err[2] = {sb.rhoxy_err[k], sb.rhoyx_err[k]};
    const double phs_err[2] = {sb.phsxy_err[k], sb.phsyx_err[k]};
    for (int m = 0; m < 2; ++m) {
      const int e = m == 0 ? kXy : kYx;
      const double abs_z = std::abs(p.z[e]);
      const double rho = 0.2 * abs_z * abs_z / p.freq;
      // rho error = rho (k - 1/k) / 2 with k = 1 + 2 e / |Z|.
      const double s = std::fabs(rho_err[m]) / rho;
      const double kk = s + std::sqrt(s * s + 1.0);
      const double from_rho = 0.5 * (kk - 1.0) * abs_z;
      const double from_phase =
          std::tan(std::min(std::fabs(phs_err[m]), 89.9) / kDegPerRad) * abs_z;
      const double e_abs =
          std::max(std::isfinite(from_rho) ? from_rho : 0.0,
                   std::isfinite(from_phase) ? from_phase : 0.0);
      p.var[e] = e_abs * e_abs;
    }
    p.var[kXx] = p.var[kYy] = 0.5 * (p.var[kXy] + p.var[kYx]);
    tf.points.push_back(p);
  }
  return tf;
}

}  // namespace mtvuk
