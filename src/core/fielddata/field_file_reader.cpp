#include "core/fielddata/field_file_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/frequency_order.h"
#include "core/fielddata/number_line.h"
#include "core/fielddata/spectra.h"
#include "core/files/file_error_text.h"
#include "core/platform/c_number.h"
#include "core/platform/text_file.h"

namespace mtvuk {
namespace {

constexpr char kInvalidCaption[] = "Invalid MT-file";
constexpr char kTooManyCaption[] = "TOO MANY FREQUENCIES";
constexpr char kCheckCaption[] = "CHECK MT-FILE";
constexpr int kHeaderLines = 23;
constexpr int kStationLines = 10;  // the DATAID line and the nine after it
constexpr std::size_t kMarkerWindow = 50;
constexpr std::size_t kValueWindow = 30;

bool StartsWith(std::string_view line, std::string_view key) {
  return line.substr(0, key.size()) == key;
}

// Message when the block of a keyword (kSoundingKeywords, compared over
// its own length: 5 or 10 characters) is absent.
constexpr const char* kMissingBlock[kSoundingArrays] = {"Can't find FREQ",
                                                        "Can't find ZXXR",
                                                        "Can't find ZXXI",
                                                        "Can't find ZXYR",
                                                        "Can't find ZXYI",
                                                        "Can't find ZYXR",
                                                        "Can't find >ZYXI",
                                                        "Can't find ZYYR",
                                                        "Can't find ZYYI",
                                                        "Can't find RHOXY_ERR",
                                                        "Can't find RHOYX_ERR",
                                                        "Can't find PHSXY_ERR",
                                                        "Can't find PHSYX_ERR"};

std::string Format(const char* format, auto... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

// Why the reader refused a file; shown by ReadFieldFile, which may add where
// else the file can be read.
struct Refusal {
  std::string text;
  const char* caption = kInvalidCaption;
  Icon icon = Icon::kStop;
};

class FieldFileReader {
 public:
  FieldFileReader(TextFile& file, SoundingBuffer& sb, Ui& ui)
      : file_(file), sb_(sb), ui_(ui) {}

  bool Read(FieldFileKind& kind) {
    ClearSounding();
    if (!RecogniseKind(kind)) return false;
    if (!ReadHeader()) return false;
    ReadStationBlock();
    if (kind == FieldFileKind::kEdi) {
      if (!ReadSpectra()) return false;
    } else if (!ReadPltBlocks()) {
      return false;
    }
    if (!CheckFields()) return false;
    if (!CheckValues(kind)) return false;
    const std::string equal = SortByFrequency(sb_);
    if (!equal.empty()) ui_.Show(equal, "FIELD DATA", Icon::kExclamation);
    BuildListing();
    ReadCoordinates();
    TellAboutData(kind);
    return true;
  }

  const Refusal& refusal() const { return refusal_; }

 private:
  bool Fail(std::string text, Icon icon = Icon::kStop) {
    refusal_ = {std::move(text), kInvalidCaption, icon};
    return false;
  }

  void ClearSounding() { ClearSoundingBuffer(sb_); }

  bool RecogniseKind(FieldFileKind& kind) {
    std::string line;
    while (file_.ReadLine(line)) {
      if (StartsWith(line, ">SPECTRA")) {
        kind = FieldFileKind::kEdi;
        return true;
      }
      if (StartsWith(line, ">ZXXR")) {
        kind = FieldFileKind::kPlt;
        return true;
      }
    }
    return Fail(
        "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file",
        Icon::kExclamation);
  }

  bool ReadHeader() {
    std::string line;
    file_.Rewind();
    if (!file_.ReadLine(line) || !StartsWith(line, ">HEAD")) {
      return Fail("Can't finf MT-data\n error keyword: '>HEAD'",
                  Icon::kExclamation);
    }
    sb_.header = ">HEAD\n";
    for (int i = 0; i < kHeaderLines && file_.ReadLine(line); ++i) {
      if (StartsWith(line, ">")) break;
      sb_.header += line;
      sb_.header += '\n';
    }
    header_present_ = true;
    return true;
  }

  // Finds the DATAID line; leaves the file after the nine lines that follow
  // it (or at its end when there is none).
  void ReadStationBlock() {
    static constexpr std::string_view kMarker = "DATAID=\"";
    std::string line;
    file_.Rewind();
    while (file_.ReadLine(line)) {
      std::size_t at = line.find(kMarker);
      if (at == std::string::npos || at >= kMarkerWindow) continue;
      station_found_ = true;
      sb_.listing[0] = line;
      std::string name = line.substr(at + kMarker.size(), 12);
      std::replace(name.begin(), name.end(), '"', ' ');
      sb_.station = name;
      for (int i = 1; i < kStationLines && file_.ReadLine(line); ++i) {
        sb_.listing[i] = line;
      }
      sb_.listing[10] = "*****************************";
      return;
    }
  }

  // The value after `marker` on a block line: text up to the next blank or
  // the end of the line, at most 30 characters. False when there is none.
  static bool ValueAfter(std::string_view line,
                         std::string_view marker,
                         double& value,
                         std::string* text = nullptr) {
    std::size_t at = line.find(marker);
    if (at == std::string_view::npos) return false;
    std::string_view rest = line.substr(at + marker.size());
    std::size_t end = rest.find(' ');
    if (end == std::string_view::npos) end = rest.size();
    if (end > kValueWindow) return false;
    value = AtoF(rest.substr(0, end));
    if (text != nullptr) text->assign(rest.substr(0, end));
    return true;
  }

  // Reads the spectra blocks up to ">END". A block whose matrix is not
  // complete, or whose frequency is not a positive number, refuses the file:
  // the missing values would otherwise enter the curves as zeros.
  bool ReadSpectra() {
    std::string line;
    double freq = 0.0;
    std::string freq_text = "(none)";
    double averaged = 1.0;
    bool have_line = file_.ReadLine(line);
    while (have_line) {
      if (StartsWith(line, ">END")) {
        end_found_ = true;
        break;
      }
      if (!StartsWith(line, ">SPE")) {
        have_line = file_.ReadLine(line);
        continue;
      }
      ValueAfter(line, "REQ=", freq, &freq_text);
      ValueAfter(line, "VGT=", averaged);
      SpectraMatrix a = {};
      float row[7];
      int values = 0;
      have_line = false;
      for (int r = 0; r < 7; ++r) {
        if (!file_.ReadLine(line)) break;
        if (StartsWith(line, ">")) {  // a short block ends at the next keyword
          have_line = true;
          break;
        }
        const int odd_before = odd_.count;
        int n = std::min(ReadNumbersOnLine(line, row, 7, &odd_), 7);
        if (odd_before == 0 && odd_.count > 0) {
          odd_where_ = Format("'>SPECTRA' block %i", blocks_ + 1);
          odd_line_ = file_.LineNumber();
        }
        for (int c = 0; c < n; ++c) a[r][c] = row[c];
        values += n;
      }
      if (blocks_ < MaxFreq) {
        if (!(freq > 0.0) || !std::isfinite(freq)) {
          return Fail(
              Format("'>SPECTRA' block %i: the value after FREQ= "
                     "('%s', up to the next blank) is not a positive "
                     "frequency",
                     blocks_ + 1,
                     freq_text.c_str()));
        }
        if (values < 49) {
          return Fail(
              Format("'>SPECTRA' block %i (FREQ=%g Hz) holds %i of "
                     "the 49 values of its matrix",
                     blocks_ + 1,
                     freq,
                     values));
        }
        StoreSpectra(blocks_, a, freq, averaged);
      }
      ++blocks_;
      if (!have_line) have_line = file_.ReadLine(line);
    }
    sb_.nfreq = std::min(blocks_, MaxFreq);
    return true;
  }

  void StoreSpectra(int k,
                    const SpectraMatrix& a,
                    double freq,
                    double averaged) {
    StoreSpectraEstimate(sb_, k, freq, EstimateImpedance(a, freq, averaged));
  }

  bool ReadPltBlocks() {
    std::string line;
    float values[MaxFreq];
    for (int b = 0; b < kSoundingArrays; ++b) {
      const char* keyword = kSoundingKeywords[b];
      file_.Rewind();
      bool found = false;
      while (file_.ReadLine(line)) {
        if (StartsWith(line, keyword)) {
          found = true;
          break;
        }
      }
      int count = 0;
      PointArray& target = sb_.Array(b);
      while (found && file_.ReadLine(line) && !StartsWith(line, ">")) {
        int room = std::max(0, MaxFreq - count);
        const int odd_before = odd_.count;
        int n = ReadNumbersOnLine(line, values, room, &odd_);
        if (odd_before == 0 && odd_.count > 0) {
          odd_where_ = Format("block '%s'", keyword);
          odd_line_ = file_.LineNumber();
        }
        std::copy_n(values,
                    std::min(n, room),
                    target.begin() + std::min(count, MaxFreq));
        count += n;
      }
      if (b == 0 && found) sb_.nfreq = std::min(count, MaxFreq);
      if (!found || (b == 0 && count == 0)) return Fail(kMissingBlock[b]);
      if (count < sb_.nfreq) {
        return Fail(Format("Block '%s' holds %i values for %i frequencies",
                           keyword,
                           count,
                           sb_.nfreq));
      }
      if (count > MaxFreq && overflow_count_ == 0) {
        overflow_count_ = count;
        overflow_block_ = keyword;
      }
    }
    return true;
  }

  void BuildListing() { BuildSoundingListing(sb_); }

  // The text after `key` in a station line: up to two characters after the
  // last ":" of the line when there is one after the key, else up to the
  // next blank.
  static bool CoordinateText(const std::string& line,
                             std::string_view key,
                             std::string& out) {
    std::size_t at = line.find(key);
    if (at == std::string::npos || at >= kMarkerWindow) return false;
    std::size_t start = at + key.size();
    std::size_t colon = line.rfind(':');
    std::size_t end;
    if (colon != std::string::npos && colon >= start) {
      end = std::min(colon + 3, line.size());
    } else {
      end = line.find(' ', start);
      if (end == std::string::npos) end = line.size();
    }
    if (end <= start) return false;
    out = line.substr(start, end - start);
    return true;
  }

  void ReadCoordinates() {
    bool have_lat = false, have_lon = false, have_elev = false;
    for (int i = 0; i < kStationLines; ++i) {
      const std::string& line = sb_.listing[i];
      if (!have_lat) have_lat = CoordinateText(line, "LAT=", sb_.lat);
      if (!have_lon) have_lon = CoordinateText(line, "LONG=", sb_.lon);
      if (!have_elev) have_elev = CoordinateText(line, "ELEV=", sb_.elev);
    }
  }

  // Notices after a successful read: nothing lost without the user knowing.
  void TellAboutData(FieldFileKind kind) {
    if (kind == FieldFileKind::kEdi && blocks_ > MaxFreq) {
      ui_.Show(Format("The file holds %i '>SPECTRA' blocks;\nonly the first "
                      "%i are read.",
                      blocks_,
                      MaxFreq),
               kTooManyCaption,
               Icon::kExclamation);
    }
    if (kind == FieldFileKind::kEdi && sb_.nfreq > 0 && !end_found_) {
      // A file cut after a whole block reads without a gap; only the
      // missing end line tells.
      ui_.Show(Format("The file ends without '>END' after %i '>SPECTRA' "
                      "blocks:\nit may have been cut short.",
                      blocks_),
               kCheckCaption,
               Icon::kExclamation);
    }
    if (kind == FieldFileKind::kPlt && overflow_count_ > 0) {
      ui_.Show(
          Format("Block '%s' holds %i values;\nonly the first %i are read.",
                 overflow_block_,
                 overflow_count_,
                 MaxFreq),
          kTooManyCaption,
          Icon::kExclamation);
    }
  }

  // A number field that is blank or holds more than one number (a garbled
  // digit, a value blanked out, two short numbers joined) would be read as
  // far as it is a number: a wrong value the user never sees. The file is
  // refused at the first one, with where it stands.
  bool CheckFields() {
    if (odd_.count == 0) return true;
    const std::string where =
        file_.path() + ", line " + std::to_string(odd_line_) + ", columns " +
        std::to_string(odd_.first_column) + "-" +
        std::to_string(odd_.last_column) + " (" + odd_where_ + "): ";
    const std::string what =
        odd_.first.empty()
            ? "a blank field where a number must stand"
            : "'" + odd_.first.substr(0, 40) + "' is not one number";
    return Fail(where + what +
                "\nEach number stands alone in a field of at least five "
                "characters, counting its leading blanks.");
  }

  // Every value the curves use must be a number: a frequency a positive
  // one. The first one that is not refuses the file.
  bool CheckValues(FieldFileKind kind) {
    for (int k = 0; k < sb_.nfreq; ++k) {
      const float f = sb_.freq[k];
      if (kind == FieldFileKind::kPlt && !(f > 0.0f && std::isfinite(f))) {
        return Fail(
            Format("Frequency %i of block '>FREQ' is not a positive "
                   "number (%g Hz)",
                   k + 1,
                   static_cast<double>(f)));
      }
      for (int i = 1; i < kSoundingArrays; ++i) {
        const float v = sb_.Array(i)[k];
        if (std::isfinite(v)) continue;
        if (kind == FieldFileKind::kEdi) {
          return Fail(
              Format("'>SPECTRA' block %i (FREQ=%g Hz): its spectra "
                     "give no finite impedance or error (%s is %g)",
                     k + 1,
                     static_cast<double>(f),
                     kSoundingKeywords[i] + 1,
                     static_cast<double>(v)));
        }
        return Fail(Format("Value %i of block '%s' is not a finite number (%g)",
                           k + 1,
                           kSoundingKeywords[i],
                           static_cast<double>(v)));
      }
    }
    return true;
  }

  TextFile& file_;
  SoundingBuffer& sb_;
  Ui& ui_;
  bool header_present_ = false;
  bool station_found_ = false;
  bool end_found_ = false;
  int blocks_ = 0;
  int overflow_count_ = 0;
  const char* overflow_block_ = "";
  OddFields odd_;
  std::string odd_where_;
  int odd_line_ = 0;
  Refusal refusal_;

 public:
  bool header_present() const { return header_present_; }
  bool station_found() const { return station_found_; }
};

}  // namespace

void RememberFieldPath(const std::string& path, Workspace& workspace) {
  const std::size_t slash = path.find_last_of("/\\");
  FileStrings& f = workspace.files;
  f.field_path = path;
  f.field_name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = f.field_name.rfind('.');
  f.field_extension =
      dot == std::string::npos ? std::string() : f.field_name.substr(dot + 1);
}

void ClearSoundingBuffer(SoundingBuffer& sb) {
  // Short blocks then leave zeros, never values of the previous sounding.
  for (int i = 0; i < kSoundingArrays; ++i) sb.Array(i).fill(0.0f);
  sb.nfreq = 0;
  sb.missing.fill(0);
  sb.station.clear();
  sb.header.clear();
  for (auto& line : sb.listing) line.clear();
  for (int i = 0; i <= 12; ++i) sb.listing[i] = "            ";
  sb.listing_count = 13;
  sb.lat = "00:00:00";
  sb.lon = "000:00:00";
  sb.elev = "0000";
}

void StoreSpectraEstimate(SoundingBuffer& sb,
                          int k,
                          double freq,
                          const SpectraEstimate& z) {
  sb.freq[k] = ToF32(freq);
  sb.zxxr[k] = ToF32(z.zxx.re);
  sb.zxxi[k] = ToF32(z.zxx.im);
  sb.zxyr[k] = ToF32(z.zxy.re);
  sb.zxyi[k] = ToF32(z.zxy.im);
  sb.zyxr[k] = ToF32(z.zyx.re);
  sb.zyxi[k] = ToF32(z.zyx.im);
  sb.zyyr[k] = ToF32(z.zyy.re);
  sb.zyyi[k] = ToF32(z.zyy.im);
  sb.rhoxy_err[k] = ToF32(z.rhoxy_err);
  sb.rhoyx_err[k] = ToF32(z.rhoyx_err);
  sb.phsxy_err[k] = ToF32(z.phsxy_err);
  sb.phsyx_err[k] = ToF32(z.phsyx_err);
}

void BuildSoundingListing(SoundingBuffer& sb) {
  auto AddListingLine = [&sb](std::string text) {
    if (sb.listing_count < kListingLines)
      sb.listing[sb.listing_count++] = std::move(text);
  };
  sb.listing[11] = Format("NFREQ = %2i", sb.nfreq);
  // The tables list the imaginary parts with their sign reversed while the
  // file, the curves and every other output keep the file's sign; the note
  // keeps a reader from taking the listing's sign for the file's.
  sb.listing[12] = kReversedSignNote;
  sb.listing[13] = "";
  sb.listing_count = 14;
  const std::string freq_title = "     F [Hz]   ";
  struct Table {
    std::string title;
    const PointArray *a, *b, *c, *d;
    float sign_b, sign_d;
  };
  const Table tables[3] = {
      {freq_title + "      ZXYR   " + "      ZXYI   " + "      ZYXR   " +
           "      ZYXI   ",
       &sb.zxyr,
       &sb.zxyi,
       &sb.zyxr,
       &sb.zyxi,
       -1.0f,
       -1.0f},
      {freq_title + "      ZXXR   " + "      ZXXI   " + "      ZYYR   " +
           "      ZYYI   ",
       &sb.zxxr,
       &sb.zxxi,
       &sb.zyyr,
       &sb.zyyi,
       -1.0f,
       -1.0f},
      {freq_title + "    RHO_ERR_XY" + "  PHS_ERR_XY" + "    RHO_ERR_YX  " +
           "  PHS_ERR_YX",
       &sb.rhoxy_err,
       &sb.phsxy_err,
       &sb.rhoyx_err,
       &sb.phsyx_err,
       1.0f,
       1.0f},
  };
  for (int t = 0; t < 3; ++t) {
    if (t > 0) AddListingLine("");
    const Table& table = tables[t];
    AddListingLine(table.title);
    for (int k = 0; k < sb.nfreq; ++k) {
      AddListingLine(Format("%2i  %9.2e  %12.2e %12.2e  %12.2e %12.2e",
                            k + 1,
                            static_cast<double>(sb.freq[k]),
                            static_cast<double>((*table.a)[k]),
                            static_cast<double>(table.sign_b * (*table.b)[k]),
                            static_cast<double>((*table.c)[k]),
                            static_cast<double>(table.sign_d * (*table.d)[k])));
    }
  }
  AddListingLine("");
  AddListingLine("          ");
  AddListingLine("");
}

const char* FieldFileFilter(std::string_view last_extension) {
  std::string ext(last_extension);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return std::toupper(c);
  });
  if (ext == "PLT") {
    return "MT-files (*.PLT)|*.PLT|MT-files (*.EDI)|*.EDI|All Files "
           "(*.*)|*.*||";
  }
  return "MT-files (*.EDI)|*.EDI|MT-files (*.PLT)|*.PLT|All Files (*.*)|*.*||";
}

namespace {

// Answers every message with its default, showing nothing: the importer's
// trial read below must not speak to the user.
class SilentUi : public Ui {
 public:
  void Post(Window, Um, std::intptr_t, std::intptr_t) override {}
  Answer MessageBox(std::string_view,
                    std::string_view,
                    Icon,
                    Buttons,
                    Answer default_button) override {
    return default_button;
  }
  void Repaint(Window) override {}
  bool EscapePending() override { return false; }
  bool LeftButtonDown() override { return false; }
  std::int64_t ClockMs() override { return 0; }
};

// True when the SEG EDI importer reads frequencies from the file.
bool ImporterReads(const std::string& path) {
  auto scratch = std::make_unique<Workspace>();
  SilentUi silent;
  return ImportEdiFile(path, *scratch, silent) && scratch->sounding.nfreq > 0;
}

}  // namespace

const char* ImportHintText(ImportHint hint) {
  return hint == ImportHint::kCommandLine
             ? "\n\nThe SEG EDI importer reads this file: add --import."
             : "\n\nThe SEG EDI importer reads this file: use\n"
               "File > Import EDI file (SEG standard).";
}

bool ReadFieldFile(const std::string& path,
                   Workspace& workspace,
                   Ui& ui,
                   FieldFileKind* kind,
                   ImportHint hint) {
  RememberFieldPath(path, workspace);
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    ui.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  FieldFileReader reader(file, workspace.sounding, ui);
  FieldFileKind found = FieldFileKind::kEdi;
  bool ok = reader.Read(found);
  if (reader.header_present()) workspace.header_present = 1;
  file.Close();
  if (ok) {
    if (kind != nullptr) *kind = found;
    if (workspace.sounding.nfreq == 0) {
      // The read succeeds as the rules give it, but the user must know why
      // the listing is empty and where else the file may be read.
      std::string text = reader.station_found()
                             ? "No frequency blocks were read (NFREQ = 0)"
                             : "No frequency blocks were read (NFREQ = 0):\n"
                               "the file has no station line 'DATAID=\"'";
      if (ImporterReads(path)) text += ImportHintText(hint);
      ui.Show(text, kCheckCaption, Icon::kExclamation);
    }
    return true;
  }
  const Refusal& refusal = reader.refusal();
  std::string text = refusal.text;
  if (ImporterReads(path)) text += ImportHintText(hint);
  ui.Show(text, refusal.caption, refusal.icon);
  return false;
}

}  // namespace mtvuk
