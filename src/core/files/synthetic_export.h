// Synthetic soundings: the response of a layered model at 72 frequencies,
// written as a sounding file that the field-data reader loads (the program's
// PLT layout) or as a SEG-standard EDI file for other MT programs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ui.h"
#include "core/store/layer_model.h"
#include "core/store/physics_setting.h"

namespace mtvuk {

inline constexpr int kExportFrequencies = 72;
// log10(Tmax / Tmin) times this is the step between two periods (1/71).
inline constexpr double kExportStep = 0.014084507042253521;
inline constexpr char kSyntheticFileFilter[] = "PLT-files (*.PLT)|*.PLT||";

enum class SyntheticFormat { kPlt, kSeg };

// Where the station stands. Unset values keep the fixed texts of the PLT
// layout ("00:00:00", "00:00:00", "0").
struct StationPlace {
  std::optional<double> lat;   // degrees, north positive
  std::optional<double> lon;   // degrees, east positive
  std::optional<double> elev;  // m
};

struct SyntheticOptions {
  double period_min = 0.001;  // s
  double period_max = 10000.0;
  SyntheticFormat format = SyntheticFormat::kPlt;
  // Complex Gaussian noise in percent of |Z|, drawn from `seed`; unset: the
  // exact response with errors of 0.
  std::optional<double> noise_percent;
  std::uint64_t seed = 0;
  StationPlace place;
  std::string name;  // empty: the model's name
  // The physics of the response written (the layout is the same).
  Physics physics = Physics::kPublished;
};

using ExportArray = std::array<double, kExportFrequencies>;

// Indices of the eight impedance blocks, in the order they are written.
enum ExportBlock : int {
  kZxxR = 0,
  kZxxI,
  kZxyR,
  kZxyI,
  kZyxR,
  kZyxI,
  kZyyR,
  kZyyI,
};

// The blocks of one synthetic sounding, as the chosen format writes them.
struct SyntheticSounding {
  std::string name;
  std::vector<std::string> media;  // the FILEBY texts
  std::vector<std::string> info;   // what the model was (SEG >INFO)
  ExportArray freq{};              // Hz, from 1 / Tmin down to 1 / Tmax
  std::array<ExportArray, 8> z{};  // mV/km per nT
  // Variances of ZXX, ZXY, ZYX, ZYY (SEG .VAR blocks).
  std::array<ExportArray, 4> z_var{};
  ExportArray rho_xy{}, rho_yx{}, phs_xy{}, phs_yx{};  // Ohm-m, degrees
  ExportArray rho_xy_err{}, rho_yx_err{}, phs_xy_err{}, phs_yx_err{};
};

// f_k = 1 / (Tmin (Tmax / Tmin)^(k / 71)), k = 0..71.
ExportArray ExportFrequencies(double period_min, double period_max);

// The FILEBY texts of a model's medium: "MT-ANISOTROPIC MEDIUM" and
// "MT-POLARIZATION MEDIUM" after its switches, else "MT-1D MEDIUM".
std::vector<std::string> MediumNames(const LayerModel& model);

// The response of the model at the export frequencies on the path its
// switches choose (anisotropic, else with dispersion, else without), with
// noise and errors when asked for. False after a message when a period
// cannot be computed or gives a value that is not a number.
bool ComputeSynthetic(const LayerModel& model,
                      const SyntheticOptions& options,
                      Ui& ui,
                      SyntheticSounding& out);

// count / 6 lines of six "%12.3e" values, a blank and the line end.
std::string FormatBlockLines(const double* values, int count);

// An angle as degrees:minutes:seconds, the seconds with `decimals`
// decimals ("-22:22:15", "139:11:19.40").
std::string DegreesText(double degrees, int decimals);

// The program's sounding layout (".PLT").
std::string FormatPltSounding(const SyntheticSounding& sounding,
                              const StationPlace& place);
// A SEG-standard EDI file with impedances and their variances.
std::string FormatSegEdi(const SyntheticSounding& sounding,
                         const StationPlace& place);

// The chosen folder and title with ".PLT", whatever extension was typed.
std::string SyntheticFilePath(const std::string& chosen);

// Computes, formats and writes one model's file; an existing file is
// replaced only when the new one was written completely. False after a
// message ("CAN'T CREATE FILE", "CAN'T OPEN FILE").
bool ExportModel(const LayerModel& model,
                 const SyntheticOptions& options,
                 const std::string& path,
                 Ui& ui);

}  // namespace mtvuk
