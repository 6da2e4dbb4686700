#include "core/files/synthetic_export.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/files/file_writing.h"
#include "core/files/fixed_columns.h"
#include "core/physics/dispersion.h"
#include "core/physics/forward_1d.h"
#include "core/physics/model_curve.h"

namespace mtvuk {
namespace {

using columns::Format;

constexpr double kPi = 3.141592653589793;
constexpr char kCount[] = " //%d\n";
constexpr const char* kImpedanceKeys[8] = {">ZXXR ROT=ZROT",
                                           ">ZXXI ROT=ZROT",
                                           ">ZXYR ROT=ZROT",
                                           ">ZXYI ROT=ZROT",
                                           ">ZYXR ROT=ZROT",
                                           ">ZYXI ROT=ZROT",
                                           ">ZYYR ROT=ZROT",
                                           ">ZYYI ROT=ZROT"};

// Gaussian numbers by Box and Muller from a 64-bit Mersenne twister, so that
// a seed gives the same noise with every standard library.
class Gaussian {
 public:
  explicit Gaussian(std::uint64_t seed) : engine_(seed) {}
  double operator()() {
    if (have_spare_) {
      have_spare_ = false;
      return spare_;
    }
    const double u1 = Uniform(), u2 = Uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * kPi * u2);
    have_spare_ = true;
    return r * std::cos(2.0 * kPi * u2);
  }

 private:
  double Uniform() {  // in (0, 1]
    return static_cast<double>((engine_() >> 11) + 1) * 0x1.0p-53;
  }
  std::mt19937_64 engine_;
  double spare_ = 0.0;
  bool have_spare_ = false;
};

double WrappedRadians(double a) {
  while (a > kPi) a -= 2.0 * kPi;
  while (a <= -kPi) a += 2.0 * kPi;
  return a;
}

// The resistivity and phase errors that the readers turn back into a
// relative impedance error `r` (the estimator of the spectra): rho error
// = rho (k - 1/k) / 2 with k = 1 + 2 r, phase error = atan(r).
void Errors(double rho, double r, double& rho_err, double& phs_err) {
  const double k = 1.0 + 2.0 * r;
  rho_err = 0.5 * (k * rho - rho / k);
  phs_err = std::atan(r) * kDegPerRad;
}

// Adds noise to the written tensor: Re and Im of each element get a
// standard deviation of `percent` of |Z| of the off-diagonal element of
// their row (an impedance row's errors come from its electric channel).
// `phase_sign` tells how the written XY and YX elements turn with the
// phases (+1: the phase grows with the argument, -1: the conjugate).
void AddNoise(SyntheticSounding& s,
              double percent,
              std::uint64_t seed,
              double phase_sign) {
  Gaussian gauss(seed);
  const double p = percent / 100.0;
  for (int k = 0; k < kExportFrequencies; ++k) {
    const double xy_re = s.z[kZxyR][k], xy_im = s.z[kZxyI][k];
    const double yx_re = s.z[kZyxR][k], yx_im = s.z[kZyxI][k];
    const double sd_row[2] = {p * std::hypot(xy_re, xy_im),
                              p * std::hypot(yx_re, yx_im)};
    for (int e = 0; e < 4; ++e) {
      const double sd = sd_row[e / 2];
      s.z[2 * e][k] += sd * gauss();
      s.z[2 * e + 1][k] += sd * gauss();
      s.z_var[e][k] = sd * sd;
    }
    struct Mode {
      double re, im, sd;
      double *rho, *phs, *rho_err, *phs_err;
    };
    const Mode modes[2] = {
        {xy_re, xy_im, sd_row[0], &s.rho_xy[k], &s.phs_xy[k],
         &s.rho_xy_err[k], &s.phs_xy_err[k]},
        {yx_re, yx_im, sd_row[1], &s.rho_yx[k], &s.phs_yx[k],
         &s.rho_yx_err[k], &s.phs_yx_err[k]}};
    for (int m = 0; m < 2; ++m) {
      const Mode& d = modes[m];
      const double re = s.z[kZxyR + 2 * m][k], im = s.z[kZxyI + 2 * m][k];
      const double exact = std::hypot(d.re, d.im);
      const double noisy = std::hypot(re, im);
      *d.rho *= (noisy * noisy) / (exact * exact);
      *d.phs += phase_sign *
                WrappedRadians(std::atan2(im, re) - std::atan2(d.im, d.re)) *
                kDegPerRad;
      Errors(*d.rho, d.sd / noisy, *d.rho_err, *d.phs_err);
    }
  }
}

std::vector<std::string> ModelInfo(const LayerModel& m,
                                   const SyntheticOptions& o) {
  std::vector<std::string> info = {
      "SYNTHETIC SOUNDING: THE RESPONSE OF A LAYERED MODEL (MT-VUK)",
      Format("PERIODS %g TO %g S, %d FREQUENCIES",
             o.period_min,
             o.period_max,
             kExportFrequencies)};
  for (const std::string& medium : MediumNames(m)) info.push_back(medium);
  if (m.dispersion_on != 0 && m.law >= 0 && m.law < kDispersionLaws)
    info.push_back(std::string("DISPERSION LAW: ") +
                   kDispersionLawNames[m.law]);
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  for (int j = 0; j < n; ++j) {
    std::string line =
        j < n - 1 ? Format("LAYER %2d: RHO=%12.4g OHM-M  H=%10.4g KM",
                           j + 1,
                           m.resistivity[j],
                           m.thickness[j])
                  : Format("HALF-SPACE: RHO=%12.4g OHM-M", m.resistivity[j]);
    if (m.anisotropy_on != 0 && m.aniso_on[j] != 0) {
      line += Format("  ANISOTROPIC %g/%g OHM-M, STRIKE %g DEG",
                     static_cast<double>(m.aniso_rho1[j]),
                     static_cast<double>(m.aniso_rho2[j]),
                     static_cast<double>(m.aniso_strike[j]));
    }
    if (m.dispersion_on != 0 && m.ip_on[j] != 0) line += "  DISPERSIVE";
    info.push_back(line);
  }
  info.push_back(o.noise_percent
                     ? Format("NOISE: %g %% OF |Z|, SEED %llu",
                              *o.noise_percent,
                              static_cast<unsigned long long>(o.seed))
                     : std::string("NOISE: NONE (EXACT RESPONSE)"));
  return info;
}

bool AllFinite(const SyntheticSounding& s) {
  auto finite = [](const ExportArray& a) {
    for (double v : a) {
      if (!std::isfinite(v)) return false;
    }
    return true;
  };
  for (const ExportArray& a : s.z) {
    if (!finite(a)) return false;
  }
  return finite(s.freq) && finite(s.rho_xy) && finite(s.rho_yx) &&
         finite(s.phs_xy) && finite(s.phs_yx);
}

std::string PlaceText(const std::optional<double>& degrees,
                      const char* fixed,
                      int decimals) {
  return degrees ? DegreesText(*degrees, decimals) : std::string(fixed);
}

std::string ElevText(const StationPlace& place) {
  return place.elev ? Format("%.1f", *place.elev) : std::string("0");
}

}  // namespace

ExportArray ExportFrequencies(double period_min, double period_max) {
  ExportArray f{};
  const double step = std::log10(period_max / period_min) * kExportStep;
  for (int k = 0; k < kExportFrequencies; ++k)
    f[k] = 1.0 / (period_min * std::pow(10.0, k * step));
  return f;
}

std::vector<std::string> MediumNames(const LayerModel& model) {
  std::vector<std::string> media;
  if (model.anisotropy_on != 0) media.push_back("MT-ANISOTROPIC MEDIUM");
  if (model.dispersion_on != 0) media.push_back("MT-POLARIZATION MEDIUM");
  if (media.empty()) media.push_back("MT-1D MEDIUM");
  return media;
}

bool ComputeSynthetic(const LayerModel& model,
                      const SyntheticOptions& options,
                      Ui& ui,
                      SyntheticSounding& s) {
  s = SyntheticSounding{};
  s.name = options.name.empty() ? model.name : options.name;
  s.media = MediumNames(model);
  s.info = ModelInfo(model, options);
  s.freq = ExportFrequencies(options.period_min, options.period_max);
  ExportArray periods{};
  for (int k = 0; k < kExportFrequencies; ++k) periods[k] = 1.0 / s.freq[k];

  const ForwardPath path = ChoosePath(model, false);
  std::array<PeriodResponse, kExportFrequencies> r{};
  std::array<AnisoResponseTable, kExportFrequencies> t{};
  bool complete = ComputeResponses(model,
                                   WorkingLayers(model, options.physics),
                                   path,
                                   periods.data(),
                                   kExportFrequencies,
                                   ui,
                                   r.data(),
                                   t.data());
  const bool seg = options.format == SyntheticFormat::kSeg;
  // Dispersive and anisotropic impedances have a negative imaginary part
  // for a half-space; SEG files take the convention of the path without
  // dispersion (ZXY of a half-space at +45 degrees), so they get the
  // complex conjugate.
  const double conj = seg && path != ForwardPath::kNoDispersion ? -1.0 : 1.0;
  for (int k = 0; k < kExportFrequencies; ++k) {
    const PolarisationResponse& one = r[k].mode[0];
    if (path != ForwardPath::kAnisotropic) {
      s.z[kZxyR][k] = one.z.re;
      s.z[kZxyI][k] = conj * one.z.im;
      s.z[kZyxR][k] = -one.z.re;
      s.z[kZyxI][k] = -(conj * one.z.im);
      s.rho_xy[k] = s.rho_yx[k] = one.rho_a;
      s.phs_xy[k] = s.phs_yx[k] = one.phase;
      continue;
    }
    const AnisoResponseTable& a = t[k];
    if (seg) {
      const Complex tensor[4] = {r[k].zxx, r[k].zxy, r[k].zyx, r[k].zyy};
      for (int e = 0; e < 4; ++e) {
        s.z[2 * e][k] = tensor[e].re;
        s.z[2 * e + 1][k] = -tensor[e].im;
      }
    } else {
      // The off-diagonal elements are the response table's, the diagonal
      // ones its signed Zxx and Zyy turned into the same convention (the
      // table's |Re|, |Im| are the conjugate of the tensor), so that the
      // file's tensor gives the model's MEAN and EFF curves too.
      s.z[kZxxR][k] = a[kZxxRe];
      s.z[kZxxI][k] = -a[kZxxIm];
      s.z[kZxyR][k] = a[kReXy];
      s.z[kZxyI][k] = a[kImXy];
      s.z[kZyxR][k] = a[kReXy + 1];
      s.z[kZyxI][k] = a[kImXy + 1];
      s.z[kZyyR][k] = a[kZyyRe];
      s.z[kZyyI][k] = -a[kZyyIm];
    }
    s.rho_xy[k] = a[kRhoXy];
    s.rho_yx[k] = a[kRhoXy + 1];
    s.phs_xy[k] = a[kPhaseXy];
    s.phs_yx[k] = a[kPhaseXy + 1];
  }
  if (complete && options.noise_percent) {
    // The phases of the written XY and YX elements turn with the model's
    // phases, except on the dispersive path of the program's layout.
    const bool conjugate =
        !seg && path == ForwardPath::kDispersion;
    AddNoise(s, *options.noise_percent, options.seed, conjugate ? -1.0 : 1.0);
  }
  if (!complete || !AllFinite(s)) {
    ui.Show(Format("The response of '%s' could not be computed at every "
                   "period:\nno file was written.",
                   s.name.c_str()),
            "SAVE MODEL DATA",
            Icon::kStop);
    return false;
  }
  return true;
}

std::string FormatBlockLines(const double* v, int count) {
  std::string out;
  for (int line = 0; line < count / 6; ++line) {
    const double* x = v + 6 * line;
    out += Format("%12.3e%12.3e%12.3e%12.3e%12.3e%12.3e \n",
                  x[0], x[1], x[2], x[3], x[4], x[5]);
  }
  return out;
}

std::string DegreesText(double degrees, int decimals) {
  const double scale = std::pow(10.0, decimals);
  // Rounded once in units of the last decimal, so 59.999 s carries over.
  const long long units =
      std::llround(std::fabs(degrees) * 3600.0 * scale);
  const long long per_minute = 60 * static_cast<long long>(scale);
  const long long whole = units / (60 * per_minute);
  const long long minutes = units / per_minute % 60;
  const double seconds = static_cast<double>(units % per_minute) / scale;
  const char* sign = degrees < 0.0 && units > 0 ? "-" : "";
  return decimals > 0
             ? Format("%s%02lld:%02lld:%0*.*f", sign, whole, minutes,
                      decimals + 3, decimals, seconds)
             : Format("%s%02lld:%02lld:%02.0f", sign, whole, minutes, seconds);
}

std::string FormatPltSounding(const SyntheticSounding& s,
                              const StationPlace& place) {
  std::string out = ">HEAD\n";
  out += "    DATAID=\"" + s.name + "\"\n";
  out += "    ACQBY=\"MT-SONDRAKE\"\n";
  for (const std::string& medium : s.media)
    out += "    FILEBY=\"" + medium + "\"\n";
  out += "    ACQDATE=\n    FILEDATE=\n    COUNTRY=NETHERLAND\n"
         "    STATE=MODELING\n";
  // The field-data reader keeps two characters after the last colon: whole
  // seconds.
  out += "    LAT=" + PlaceText(place.lat, "00:00:00", 0) + "\n";
  out += "    LONG=" + PlaceText(place.lon, "00:00:00", 0) + "\n";
  out += "    ELEV=" + ElevText(place) + "\n";
  out += "    UNIT=M\n";
  out += "\n\n";
  const std::string count = Format(kCount, kExportFrequencies);
  out += ">!****FREQUENCIES****!\n";
  out += Format(">FREQ=%d", kExportFrequencies) + count;
  out += FormatBlockLines(s.freq.data(), kExportFrequencies);
  out += ">!****IMPEDANCES****!\n";
  for (int b = 0; b < 8; ++b) {
    out += kImpedanceKeys[b] + count;
    out += FormatBlockLines(s.z[b].data(), kExportFrequencies);
  }
  out += ">!**** APPARENT RESISTIVITIES AND PHASES****!\n";
  const std::pair<const char*, const ExportArray*> blocks[8] = {
      {">RHOXY ROT=RHOROT", &s.rho_xy},
      {">RHOXY.ERR ROT=RHOROT", &s.rho_xy_err},
      {">RHOYX ROT=RHOROT", &s.rho_yx},
      {">RHOYX.ERR ROT=RHOROT", &s.rho_yx_err},
      {">PHSXY ROT=RHOROT", &s.phs_xy},
      {">PHSXY.ERR ROT=RHOROT", &s.phs_xy_err},
      {">PHSYX ROT=RHOROT", &s.phs_yx},
      {">PHSYX.ERR ROT=RHOROT", &s.phs_yx_err}};
  for (const auto& [key, values] : blocks) {
    out += key + count;
    out += FormatBlockLines(values->data(), kExportFrequencies);
  }
  out += "\n>END\n";
  return out;
}

namespace {

// SEG data lines: six values of six significant digits.
std::string SegValues(const ExportArray& values) {
  std::string out;
  for (int k = 0; k < kExportFrequencies; ++k) {
    out += Format("%13.5e", values[k]);
    if (k % 6 == 5 || k == kExportFrequencies - 1) out += "\n";
  }
  return out;
}

}  // namespace

std::string FormatSegEdi(const SyntheticSounding& s,
                         const StationPlace& place) {
  const std::string lat = PlaceText(place.lat, "00:00:00", 2);
  const std::string lon = PlaceText(place.lon, "00:00:00", 2);
  const std::string elev = ElevText(place);
  std::string out = ">HEAD\n";
  out += "    DATAID=\"" + s.name + "\"\n";
  out += "    ACQBY=\"MT-SONDRAKE\"\n";
  out += "    FILEBY=\"MT-VUK\"\n";
  out += "    ACQDATE=\n    FILEDATE=\n";
  out += "    LAT=" + lat + "\n    LONG=" + lon + "\n    ELEV=" + elev + "\n";
  out += "    STDVERS=\"SEG 1.0\"\n    PROGVERS=\"MT-VUK\"\n";
  out += "    EMPTY=1.0E+32\n\n";
  out += Format(">INFO MAXINFO=%d\n", static_cast<int>(s.info.size()));
  for (const std::string& line : s.info) out += "    " + line + "\n";
  out += "\n>=DEFINEMEAS\n";
  out += "    MAXCHAN=4\n    MAXRUN=999\n    MAXMEAS=9999\n    UNITS=M\n";
  out += "    REFTYPE=CART\n    REFLAT=" + lat + "\n    REFLONG=" + lon +
         "\n    REFELEV=" + elev + "\n\n";
  out += ">HMEAS ID=1001.001 CHTYPE=HX X=0.0 Y=0.0 Z=0.0 AZM=0.0\n";
  out += ">HMEAS ID=1002.001 CHTYPE=HY X=0.0 Y=0.0 Z=0.0 AZM=90.0\n";
  out += ">EMEAS ID=1003.001 CHTYPE=EX X=-50.0 Y=0.0 Z=0.0 X2=50.0 Y2=0.0\n";
  out += ">EMEAS ID=1004.001 CHTYPE=EY X=0.0 Y=-50.0 Z=0.0 X2=0.0 Y2=50.0\n\n";
  out += ">=MTSECT\n    SECTID=\"" + s.name + "\"\n";
  out += Format("    NFREQ=%d\n", kExportFrequencies);
  out += "    HX=1001.001\n    HY=1002.001\n    EX=1003.001\n    EY=1004.001\n\n";
  const std::string count = Format(" // %d\n", kExportFrequencies);
  out += ">!****FREQUENCIES****!\n";
  out += Format(">FREQ NFREQ=%d ORDER=DEC", kExportFrequencies) + count;
  out += SegValues(s.freq);
  out += ">!****IMPEDANCE ROTATION ANGLES****!\n>ZROT" + count;
  out += SegValues(ExportArray{});
  out += ">!****IMPEDANCES****!\n";
  static const char* const kElements[4] = {"ZXX", "ZXY", "ZYX", "ZYY"};
  for (int e = 0; e < 4; ++e) {
    out += std::string(">") + kElements[e] + "R ROT=ZROT" + count;
    out += SegValues(s.z[2 * e]);
    out += std::string(">") + kElements[e] + "I ROT=ZROT" + count;
    out += SegValues(s.z[2 * e + 1]);
    out += std::string(">") + kElements[e] + ".VAR ROT=ZROT" + count;
    out += SegValues(s.z_var[e]);
  }
  out += ">END\n";
  return out;
}

std::string SyntheticFilePath(const std::string& chosen) {
  return PathWithExtension(chosen, ".PLT");
}

bool ExportModel(const LayerModel& model,
                 const SyntheticOptions& options,
                 const std::string& path,
                 Ui& ui) {
  SyntheticSounding s;
  if (!ComputeSynthetic(model, options, ui, s)) return false;
  const std::string text = options.format == SyntheticFormat::kSeg
                               ? FormatSegEdi(s, options.place)
                               : FormatPltSounding(s, options.place);
  return ReplaceFileContent(
      path, text, {"CAN'T CREATE FILE", "CAN'T OPEN FILE", "CAN'T WRITE FILE"},
      ui);
}

}  // namespace mtvuk
