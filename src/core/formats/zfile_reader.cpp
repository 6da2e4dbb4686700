#include "core/formats/zfile_reader.h"

#include <cstdio>

#include "core/formats/format_text.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

using format_text::Lines;
using format_text::Numbers;
using format_text::StartsWithNoCase;
using format_text::Trim;
using format_text::Upper;

using ComplexD = std::complex<double>;

struct Channel {
  double azimuth = 0.0;  // degrees
  std::string name;      // HX, HY, HZ, EX, EY
};

// The numbers of the lines after line `i` up to the next line holding a
// word that is not a number.
std::vector<double> BlockNumbers(const std::vector<std::string_view>& lines,
                                 std::size_t& i) {
  std::vector<double> out;
  while (i + 1 < lines.size()) {
    int others = 0;
    const std::vector<double> n = Numbers(lines[i + 1], &others);
    if (others > 0) break;
    out.insert(out.end(), n.begin(), n.end());
    ++i;
  }
  return out;
}

// Element (r, c) of a Hermitian matrix of `n` rows stored as its lower
// triangle of complex pairs, row by row.
ComplexD Lower(const std::vector<double>& v, int n, int r, int c) {
  const bool swap = c > r;
  const int rr = swap ? c : r, cc = swap ? r : c;
  if (rr >= n) return NAN;
  const std::size_t at = static_cast<std::size_t>(rr * (rr + 1) / 2 + cc) * 2;
  if (at + 1 >= v.size()) return NAN;
  const ComplexD z(v[at], v[at + 1]);
  return swap ? std::conj(z) : z;
}

// The 2 x 2 matrix that takes the values along the two channels' azimuths
// to north-east axes (the inverse of the rows (cos a, sin a)).
bool AxesFromChannels(double a1, double a2, double m[2][2]) {
  const double r[2][2] = {
      {std::cos(a1 * kRadPerDeg), std::sin(a1 * kRadPerDeg)},
      {std::cos(a2 * kRadPerDeg), std::sin(a2 * kRadPerDeg)}};
  const double det = r[0][0] * r[1][1] - r[0][1] * r[1][0];
  if (std::fabs(det) < 1e-6) return false;
  m[0][0] = r[1][1] / det;
  m[0][1] = -r[0][1] / det;
  m[1][0] = -r[1][0] / det;
  m[1][1] = r[0][0] / det;
  return true;
}

}  // namespace

bool ReadZFile(std::string_view text,
               TransferFunction& tf,
               std::string& error) {
  tf = TransferFunction{};
  tf.format = kZFileFormat;
  const std::vector<std::string_view> lines = Lines(text);
  int n_channels = 0;
  std::vector<Channel> channels;
  std::size_t i = 0;
  // Header: station, coordinates, channel count, the channel lines.
  for (; i < lines.size(); ++i) {
    const std::string_view t = Trim(lines[i]);
    const std::string up = Upper(t);
    if (StartsWithNoCase(t, "station")) {
      const std::size_t colon = t.find(':');
      if (colon != std::string_view::npos)
        tf.station = std::string(Trim(t.substr(colon + 1)));
    } else if (StartsWithNoCase(t, "coordinate")) {
      const std::vector<double> n = Numbers(t);
      if (n.size() >= 2 && std::fabs(n[0]) <= 90.0) {
        tf.lat = n[0];
        tf.lon = n[1] > 180.0 ? n[1] - 360.0 : n[1];
      }
      if (n.size() >= 3) tf.declination = n[2];
      // A bare station name stands on the line before the coordinates.
      if (tf.station.empty() && i > 0 && !Trim(lines[i - 1]).empty())
        tf.station = std::string(Trim(lines[i - 1]));
    } else if (StartsWithNoCase(t, "number of channels")) {
      const std::vector<double> n = Numbers(t);
      // A count no station records (or no number a count holds) leaves
      // the header without a channel list.
      if (!n.empty() && n[0] >= 0.0 && n[0] <= 64.0)
        n_channels = static_cast<int>(n[0]);
    } else if (StartsWithNoCase(t, "orientations")) {
      for (int c = 0; c < n_channels && i + 1 < lines.size(); ++c) {
        ++i;
        int others = 0;
        const std::vector<double> n = Numbers(lines[i], &others);
        // "1  0.00  0.00  300  Hx": the last word names the channel.
        std::string_view rest = Trim(lines[i]);
        const std::size_t blank = rest.find_last_of(" \t");
        Channel ch;
        ch.azimuth = n.size() >= 2 ? n[1] : 0.0;
        ch.name = Upper(
            blank == std::string_view::npos ? rest : rest.substr(blank + 1));
        channels.push_back(ch);
      }
    } else if (StartsWithNoCase(t, "period")) {
      break;
    }
  }
  if (n_channels < 2 || static_cast<int>(channels.size()) != n_channels) {
    error =
        "The header has no channel list ('number of channels' and "
        "'orientations').";
    return false;
  }
  // Outputs are the channels after the two inputs Hx, Hy.
  int ex = -1, ey = -1;
  for (int c = 2; c < n_channels; ++c) {
    if (channels[c].name == "EX") ex = c - 2;
    if (channels[c].name == "EY") ey = c - 2;
  }
  if (ex < 0 || ey < 0) {
    error = "The file has no electric channels Ex and Ey (" +
            std::to_string(n_channels) +
            " channels): it holds no impedance, only the tipper.";
    return false;
  }
  const int n_out = n_channels - 2;
  double mh[2][2], me[2][2];
  const double h1 = channels[0].azimuth, h2 = channels[1].azimuth;
  const double e1 = channels[ex + 2].azimuth, e2 = channels[ey + 2].azimuth;
  if (!AxesFromChannels(h1, h2, mh) || !AxesFromChannels(e1, e2, me)) {
    error = "The channel azimuths of the header are parallel.";
    return false;
  }
  // The inputs: H_meas = R_H H, so Z = R_E^-1 Z_meas R_H.
  const double rh[2][2] = {
      {std::cos(h1 * kRadPerDeg), std::sin(h1 * kRadPerDeg)},
      {std::cos(h2 * kRadPerDeg), std::sin(h2 * kRadPerDeg)}};
  char note[160];
  std::snprintf(note,
                sizeof note,
                "CHANNELS=Hx %.1f Hy %.1f Ex %.1f Ey %.1f deg; tensor turned "
                "to x 0, y 90 deg",
                h1,
                h2,
                e1,
                e2);
  tf.notes.push_back(note);
  (void)mh;
  for (; i < lines.size(); ++i) {
    const std::string_view t = Trim(lines[i]);
    if (!StartsWithNoCase(t, "period")) continue;
    TfPoint p;
    const std::vector<double> pn = Numbers(
        t.substr(t.find(':') == std::string_view::npos ? 0 : t.find(':') + 1));
    const double period = pn.empty() ? 0.0 : pn[0];
    p.freq = period > 0.0 ? 1.0 / period : 0.0;
    std::vector<double> tfv, sig, res;
    for (++i; i < lines.size(); ++i) {
      const std::string_view u = Trim(lines[i]);
      if (StartsWithNoCase(u, "period")) {
        --i;
        break;
      }
      if (StartsWithNoCase(u, "Transfer Functions"))
        tfv = BlockNumbers(lines, i);
      if (StartsWithNoCase(u, "Inverse Coherent")) sig = BlockNumbers(lines, i);
      if (StartsWithNoCase(u, "Residual Covariance"))
        res = BlockNumbers(lines, i);
    }
    // Rows of the measured tensor: the Ex and Ey rows of two complex values.
    ComplexD zm[2][2];
    bool ok = tfv.size() >= static_cast<std::size_t>(4 * n_out);
    const int rows[2] = {ex, ey};
    for (int r = 0; r < 2 && ok; ++r) {
      for (int c = 0; c < 2; ++c) {
        const std::size_t at = static_cast<std::size_t>(4 * rows[r] + 2 * c);
        zm[r][c] = ComplexD(tfv[at], tfv[at + 1]);
      }
    }
    if (!ok) {
      p.missing = true;
      tf.points.push_back(p);
      continue;
    }
    // Z = A Zm B with A = R_E^-1 and B = R_H; Var Z(p,q) = (A N A^T)_pp
    // (B^T S B)_qq for the real A and B.
    ComplexD n[2][2], s[2][2];
    for (int a = 0; a < 2; ++a) {
      for (int b = 0; b < 2; ++b) {
        n[a][b] = Lower(res, n_out, rows[a], rows[b]);
        s[a][b] = Lower(sig, 2, a, b);
      }
    }
    for (int pr = 0; pr < 2; ++pr) {
      for (int qc = 0; qc < 2; ++qc) {
        ComplexD z = 0.0;
        ComplexD nv = 0.0, sv = 0.0;
        for (int a = 0; a < 2; ++a) {
          for (int b = 0; b < 2; ++b) {
            z += me[pr][a] * zm[a][b] * rh[b][qc];
            nv += me[pr][a] * n[a][b] * me[pr][b];
            sv += rh[a][qc] * s[a][b] * rh[b][qc];
          }
        }
        p.z[2 * pr + qc] = z;
        p.var[2 * pr + qc] = nv.real() * sv.real();
      }
    }
    tf.points.push_back(p);
  }
  if (tf.points.empty()) {
    error = "The file has no 'period :' blocks with transfer functions.";
    return false;
  }
  return true;
}

}  // namespace mtvuk
