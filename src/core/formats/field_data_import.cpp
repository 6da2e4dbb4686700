#include "core/formats/field_data_import.h"

#include "core/fielddata/field_file_reader.h"
#include "core/files/file_error_text.h"
#include "core/formats/emtf_xml_reader.h"
#include "core/formats/format_text.h"
#include "core/formats/jfile_reader.h"
#include "core/formats/zfile_reader.h"
#include "core/formats/zonge_avg_reader.h"
#include "core/platform/text_file.h"

namespace mtvuk {
namespace {

using format_text::Lines;
using format_text::Trim;
using format_text::Upper;

// Files larger than this are no transfer function of one station.
constexpr std::size_t kMaxFileBytes = 64u << 20;
constexpr std::size_t kSniffBytes = 16384;

std::string Caption(FieldFormat format) {
  return Upper(FieldFormatName(format)) + " IMPORT";
}

}  // namespace

const char* FieldFormatName(FieldFormat format) {
  switch (format) {
    case FieldFormat::kSegEdi:
      return "SEG EDI";
    case FieldFormat::kEmtfXml:
      return kEmtfXmlFormat;
    case FieldFormat::kZFile:
      return kZFileFormat;
    case FieldFormat::kJFile:
      return kJFileFormat;
    case FieldFormat::kZongeAvg:
      return kZongeAvgFormat;
    case FieldFormat::kUnknown:
      break;
  }
  return "unknown";
}

FieldFormat SniffFieldFormat(std::string_view head) {
  head = head.substr(0, kSniffBytes);
  const std::string up = Upper(head);
  if (up.find("<EM_TF") != std::string::npos || Trim(up).rfind("<?XML", 0) == 0)
    return FieldFormat::kEmtfXml;
  if (up.find("TRANSFER FUNCTIONS IN MEASUREMENT COORDINATES") !=
          std::string::npos ||
      (up.find("NUMBER OF CHANNELS") != std::string::npos &&
       up.find("NUMBER OF FREQUENCIES") != std::string::npos))
    return FieldFormat::kZFile;
  bool edi = false;
  for (std::string_view line : Lines(up)) {
    const std::string_view t = Trim(line);
    if (t.rfind("#BIRRP", 0) == 0 || t.rfind(">LATITUDE", 0) == 0 ||
        t.rfind(">AZIMUTH", 0) == 0)
      return FieldFormat::kJFile;
    if (t.rfind("$RX.CMP", 0) == 0 || t.rfind("SKP,", 0) == 0 ||
        t.rfind("$MTEDIT", 0) == 0 || t.rfind("$SURVEY.", 0) == 0)
      return FieldFormat::kZongeAvg;
    if (t.rfind(">HEAD", 0) == 0 || t.rfind(">=DEFINEMEAS", 0) == 0 ||
        t.rfind(">FREQ", 0) == 0 || t.rfind(">ZXXR", 0) == 0 ||
        t.rfind(">SPECTRA", 0) == 0)
      edi = true;
  }
  return edi ? FieldFormat::kSegEdi : FieldFormat::kUnknown;
}

FieldFormat SniffFieldFile(const std::string& path) {
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) return FieldFormat::kUnknown;
  std::string head, line;
  while (head.size() < kSniffBytes && file.ReadLine(line)) {
    head += line;
    head += '\n';
  }
  return SniffFieldFormat(head);
}

FieldFormat FormatFromExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return FieldFormat::kUnknown;
  const std::string ext = Upper(path.substr(dot + 1));
  if (ext == "EDI") return FieldFormat::kSegEdi;
  if (ext == "XML") return FieldFormat::kEmtfXml;
  if (ext == "ZMM" || ext == "ZRR" || ext == "ZSS") return FieldFormat::kZFile;
  if (ext == "J") return FieldFormat::kJFile;
  if (ext == "AVG") return FieldFormat::kZongeAvg;
  return FieldFormat::kUnknown;
}

bool ReadTransferFunction(FieldFormat format,
                          std::string_view text,
                          TransferFunction& tf,
                          std::string& error) {
  switch (format) {
    case FieldFormat::kEmtfXml:
      return ReadEmtfXml(text, tf, error);
    case FieldFormat::kZFile:
      return ReadZFile(text, tf, error);
    case FieldFormat::kJFile:
      return ReadJFile(text, tf, error);
    case FieldFormat::kZongeAvg:
      return ReadZongeAvg(text, tf, error);
    case FieldFormat::kSegEdi:
    case FieldFormat::kUnknown:
      break;
  }
  error = "No reader for this format.";
  return false;
}

bool ImportFieldDataFile(const std::string& path,
                         Workspace& workspace,
                         Ui& ui,
                         double default_error,
                         EdiImportReport* report,
                         FieldFormat* format_out) {
  EdiImportReport local;
  EdiImportReport& r = report ? *report : local;
  r = EdiImportReport{};
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    RememberFieldPath(path, workspace);
    ui.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  std::string text, line;
  bool too_large = false;
  while (file.ReadLine(line)) {
    text += line;
    text += '\n';
    if (text.size() > kMaxFileBytes) {
      too_large = true;
      break;
    }
  }
  file.Close();
  FieldFormat format = SniffFieldFormat(text);
  if (format == FieldFormat::kUnknown) format = FormatFromExtension(path);
  if (format_out != nullptr) *format_out = format;
  if (format == FieldFormat::kSegEdi) {
    return ImportEdiFile(path, workspace, ui, default_error, report);
  }
  RememberFieldPath(path, workspace);
  if (format == FieldFormat::kUnknown) {
    ui.Show(
        "The file is none of the formats read here: SEG EDI (>HEAD), "
        "EMTF XML (<EM_TF>), EMTF Z-file (a header with 'number of "
        "channels'), BIRRP j-file (#BIRRP, >LATITUDE) or Zonge AVG "
        "($Rx.Cmp, Skp,Freq,...).",
        "UNKNOWN FILE FORMAT",
        Icon::kStop);
    return false;
  }
  const std::string caption = Caption(format);
  if (too_large) {
    ui.Show(std::string("The ") + FieldFormatName(format) +
                " file is larger than 64 MB: it is no transfer function "
                "of one station.",
            caption,
            Icon::kStop);
    return false;
  }
  TransferFunction tf;
  std::string error;
  if (!ReadTransferFunction(format, text, tf, error)) {
    ui.Show(std::string("Cannot read this file as ") + FieldFormatName(format) +
                ":\n" + error,
            caption,
            Icon::kStop);
    return false;
  }
  if (tf.station.empty()) tf.station = format_text::FileStem(path);
  TfStoreReport stored;
  if (!StoreTransferFunction(
          tf, workspace.sounding, ui, caption.c_str(), default_error, &stored))
    return false;
  r.spectra = false;
  r.error_source = stored.error_source;
  r.frequencies_in_file = stored.frequencies_in_file;
  r.missing_points = stored.missing_points;
  workspace.header_present = 1;
  return true;
}

}  // namespace mtvuk
