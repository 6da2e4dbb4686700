#include "export_command.h"

#include <cstdio>

#include "core/files/synthetic_export.h"
#include "core/modelform/modeling_dialogs.h"
#include "core/platform/console_ui.h"
#include "field_commands.h"
#include "model_json.h"

namespace mtvuk::cli {
namespace {

// The first option outside its range, as a usage message; empty when all
// are within. The period ranges are those of "CHOOSE MODELS".
std::string RangeProblem(const ExportOptions& o) {
  auto outside = [](const std::optional<double>& v, double low, double high) {
    return v && !(*v >= low && *v <= high);
  };
  if (outside(o.tmin, ModelChoice::kMinLow, ModelChoice::kMinHigh))
    return "--tmin must lie within 1e-06 and 1 s";
  if (outside(o.tmax, ModelChoice::kMaxLow, ModelChoice::kMaxHigh))
    return "--tmax must lie within 1 and 1e+06 s";
  if (o.noise.has_value() != o.seed.has_value())
    return "--noise and --seed go together";
  if (o.noise && !(*o.noise > 0.0 && *o.noise <= 100.0))
    return "--noise must be above 0 and at most 100 (percent of |Z|)";
  if (outside(o.lat, -90.0, 90.0)) return "--lat must lie within -90 and 90";
  if (outside(o.lon, -180.0, 180.0))
    return "--long must lie within -180 and 180";
  if (outside(o.elev, -99999.0, 99999.0))
    return "--elev must lie within -99999 and 99999 m";
  if (o.format != "plt" && o.format != "seg") return "--format is plt or seg";
  return {};
}

}  // namespace

int RunExport(const ExportOptions& o) {
  LayerModel model;
  std::string error = RangeProblem(o);
  if (error.empty()) {
    const bool ok = o.model_file.empty()
                        ? ModelFromLayerSpec(o.layers, model, error)
                        : ModelFromJsonFile(o.model_file, model, error);
    if (ok) error.clear();
  }
  if (!error.empty()) {
    std::fprintf(stderr, "mtvuk-cli export: %s\n", error.c_str());
    return kExitUsage;
  }
  SyntheticOptions options;
  if (o.tmin) options.period_min = *o.tmin;
  if (o.tmax) options.period_max = *o.tmax;
  options.format =
      o.format == "seg" ? SyntheticFormat::kSeg : SyntheticFormat::kPlt;
  options.noise_percent = o.noise;
  options.seed = o.seed.value_or(0);
  options.place = {o.lat, o.lon, o.elev};
  options.name = o.name;
  options.physics = o.physics;
  ConsoleUi ui;
  if (!ExportModel(model, options, o.out, ui)) return kExitFailure;
  const ExportArray f =
      ExportFrequencies(options.period_min, options.period_max);
  std::string media;
  for (const std::string& m : MediumNames(model))
    media += (media.empty() ? "" : ", ") + m;
  std::printf("%s: '%s' (%s), %d frequencies from %g to %g Hz%s%s\n",
              o.out.c_str(),
              (o.name.empty() ? model.name : o.name).c_str(),
              media.c_str(),
              kExportFrequencies,
              f.front(),
              f.back(),
              o.noise ? ", with noise" : "",
              o.physics == Physics::kCorrected ? ", corrected physics" : "");
  return kExitOk;
}

}  // namespace mtvuk::cli
