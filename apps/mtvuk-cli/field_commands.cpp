#include "field_commands.h"

#include <cstdio>
#include <memory>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/name_text.h"
#include "core/formats/emtf_xml_writer.h"
#include "core/formats/field_data_import.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "json_output.h"

namespace mtvuk::cli {

const char* ModeName(CurveMode mode) {
  static const char* const kNames[] = {"xy", "yx", "mean", "eff"};
  return kNames[static_cast<int>(mode)];
}

namespace {

std::unique_ptr<Stores> NewStores() {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  return stores;
}

}  // namespace

namespace {
double import_default_error = kDefaultImportError;
}  // namespace

void SetImportDefaultError(double fraction) { import_default_error = fraction; }

bool ReadSounding(const std::string& path,
                  Workspace& workspace,
                  Ui& ui,
                  bool import,
                  bool* is_edi,
                  std::string* kind) {
  const FieldFormat sniffed = SniffFieldFile(path);
  if (import ||
      (sniffed != FieldFormat::kSegEdi && sniffed != FieldFormat::kUnknown)) {
    if (is_edi != nullptr) *is_edi = true;
    FieldFormat format = FieldFormat::kSegEdi;
    const bool ok = ImportFieldDataFile(
        path, workspace, ui, import_default_error, nullptr, &format);
    if (kind != nullptr)
      *kind = format == FieldFormat::kSegEdi || format == FieldFormat::kUnknown
                  ? "EDI"
                  : FieldFormatName(format);
    return ok;
  }
  FieldFileKind file_kind = FieldFileKind::kEdi;
  const bool ok =
      ReadFieldFile(path, workspace, ui, &file_kind, ImportHint::kCommandLine);
  if (is_edi != nullptr) *is_edi = file_kind == FieldFileKind::kEdi;
  if (kind != nullptr) *kind = file_kind == FieldFileKind::kEdi ? "EDI" : "PLT";
  return ok;
}

int RunRead(const std::string& path,
            bool json,
            bool import,
            const std::string& emtf_xml) {
  auto stores = NewStores();
  ConsoleUi ui;
  bool is_edi = true;
  std::string kind = "EDI";
  if (!ReadSounding(path, stores->workspace, ui, import, &is_edi, &kind))
    return kExitFailure;
  const SoundingBuffer& sb = stores->workspace.sounding;
  if (!emtf_xml.empty() && !ExportEmtfXml(sb, emtf_xml, ui))
    return kExitFailure;
  if (!json) {
    for (int i = 0; i < sb.listing_count; ++i) {
      std::printf("%s\n", PrintableText(sb.listing[i]).c_str());
    }
    return kExitOk;
  }
  static const char* const kArrayNames[kSoundingArrays] = {"freq",
                                                           "zxxr",
                                                           "zxxi",
                                                           "zxyr",
                                                           "zxyi",
                                                           "zyxr",
                                                           "zyxi",
                                                           "zyyr",
                                                           "zyyi",
                                                           "rhoxy_err",
                                                           "rhoyx_err",
                                                           "phsxy_err",
                                                           "phsyx_err"};
  nlohmann::ordered_json j;
  j["kind"] = kind;
  j["station"] = sb.station;
  j["nfreq"] = sb.nfreq;
  for (int i = 0; i < kSoundingArrays; ++i) {
    j[kArrayNames[i]] = JsonArray(sb.Array(i), sb.nfreq);
  }
  j["lat"] = sb.lat;
  j["long"] = sb.lon;
  j["elev"] = sb.elev;
  j["header"] = sb.header;
  j["listing"] = nlohmann::json::array();
  for (int i = 0; i < sb.listing_count; ++i)
    j["listing"].push_back(sb.listing[i]);
  std::printf("%s\n", JsonText(j).c_str());
  return kExitOk;
}

int RunCurve(const std::string& path,
             CurveMode mode,
             bool json,
             bool import,
             Physics physics) {
  auto stores = NewStores();
  ConsoleUi ui;
  Workspace& ws = stores->workspace;
  ws.physics = physics;
  if (!ReadSounding(path, ws, ui, import)) return kExitFailure;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(mode, true) || !list.Ok()) return kExitFailure;
  const FieldSet& set = stores->sets[list.chosen_slot(mode)];
  if (json) {
    nlohmann::ordered_json j;
    j["station"] = set.station;
    j["mode"] = ModeName(mode);
    j["label"] = set.label;
    j["physics"] = PhysicsName(physics);
    j["count"] = set.count;
    j["points"] = nlohmann::json::array();
    for (int k = 0; k < set.count; ++k) {
      nlohmann::ordered_json p;
      p["freq"] = JsonFloat(set.freq[k]);
      p["period"] = JsonFloat(ws.period_axis[k]);
      p["log_rho"] = JsonFloat(set.log_rho[k]);
      p["phase"] = JsonFloat(set.phase[k]);
      p["phase_sign"] = set.phase_sign[k];
      p["log_phase"] = JsonFloat(set.log_phase[k]);
      p["re_z"] = JsonFloat(set.re_z[k]);
      p["im_z"] = JsonFloat(set.im_z[k]);
      p["err_re"] = JsonFloat(set.err_re[k]);
      p["err_im"] = JsonFloat(set.err_im[k]);
      p["log_phase_upper"] = JsonFloat(set.log_phase_upper[k]);
      p["log_phase_lower"] = JsonFloat(set.log_phase_lower[k]);
      p["log_rho_upper"] = JsonFloat(set.log_rho_upper[k]);
      p["log_rho_lower"] = JsonFloat(set.log_rho_lower[k]);
      j["points"].push_back(p);
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf("# %s  (%s, %d points)\n",
              PrintableText(set.label).c_str(),
              ModeName(mode),
              set.count);
  std::printf("%3s %12s %12s %9s %8s %4s %12s %12s %8s %8s %9s %9s\n",
              "#",
              "freq_Hz",
              "period_s",
              "log_rho",
              "phase",
              "sign",
              "re_z",
              "im_z",
              "err_re",
              "err_im",
              "log_rho+",
              "log_rho-");
  for (int k = 0; k < set.count; ++k) {
    std::printf(
        "%3d %12.5e %12.5e %9.5f %8.3f %4d %12.5e %12.5e %8.4f %8.4f %9.5f "
        "%9.5f\n",
        k + 1,
        static_cast<double>(set.freq[k]),
        static_cast<double>(ws.period_axis[k]),
        static_cast<double>(set.log_rho[k]),
        static_cast<double>(set.phase[k]),
        set.phase_sign[k],
        static_cast<double>(set.re_z[k]),
        static_cast<double>(set.im_z[k]),
        static_cast<double>(set.err_re[k]),
        static_cast<double>(set.err_im[k]),
        static_cast<double>(set.log_rho_upper[k]),
        static_cast<double>(set.log_rho_lower[k]));
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
