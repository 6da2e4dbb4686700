#include "core/fielddata/edi_import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/frequency_order.h"
#include "core/fielddata/spectra.h"
#include "core/files/file_error_text.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"
#include "core/platform/text_file.h"

namespace mtvuk {
namespace {

constexpr char kCaption[] = "EDI IMPORT";

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
    return std::toupper(c);
  });
  return s;
}

std::string TrimLeft(const std::string& s) {
  std::size_t i = s.find_first_not_of(" \t");
  return i == std::string::npos ? std::string() : s.substr(i);
}

std::string Trim(const std::string& s) {
  std::string t = TrimLeft(s);
  std::size_t e = t.find_last_not_of(" \t\r");
  return e == std::string::npos ? std::string() : t.substr(0, e + 1);
}

// Every number of a data line: blanks, tabs and commas separate them.
void Numbers(const std::string& line, std::vector<double>& out) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() &&
           (line[i] == ' ' || line[i] == '\t' || line[i] == ','))
      ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' &&
           line[j] != ',')
      ++j;
    if (j > i) {
      // Only whole numbers count: "NFREQ=60" or "//" in a section are not data.
      double v = 0.0;
      if (ParseNumber(std::string_view(line).substr(i, j - i), v))
        out.push_back(v);
    }
    i = j;
  }
}

// The value of NAME= in a keyword or head line (any letter case, blanks
// after "=" allowed, quotes removed); empty when absent.
std::string Attribute(const std::string& line, const std::string& name) {
  const std::string up = Upper(line);
  std::size_t at = 0;
  while ((at = up.find(name + "=", at)) != std::string::npos) {
    if (at == 0 || !std::isalnum(static_cast<unsigned char>(up[at - 1]))) break;
    ++at;
  }
  if (at == std::string::npos) return {};
  std::size_t i = at + name.size() + 1;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i < line.size() && line[i] == '"') {
    std::size_t e = line.find('"', i + 1);
    return line.substr(i + 1,
                       e == std::string::npos ? std::string::npos : e - i - 1);
  }
  std::size_t e = i;
  while (e < line.size() && line[e] != ' ' && line[e] != '\t') ++e;
  return line.substr(i, e - i);
}

// deg:min:sec or decimal degrees, as text for the sounding.
std::string Coordinate(const std::string& value) { return Trim(value); }

struct Block {
  std::string keyword;  // upper case, without ">"
  std::string line;     // the keyword line as written
  std::vector<double> values;
};

struct Channel {
  std::string id;
  std::string type;  // HX, HY, HZ, EX, EY, RX, RY
};

class EdiImporter {
 public:
  EdiImporter(SoundingBuffer& sb,
              Ui& ui,
              double default_error,
              EdiImportReport& report,
              std::string file_stem)
      : sb_(sb),
        ui_(ui),
        default_error_(default_error),
        report_(report),
        file_stem_(std::move(file_stem)) {}

  bool Read(TextFile& file) {
    std::string line;
    Block* current = nullptr;
    bool in_head = false;
    int head_lines = 0;
    while (file.ReadLine(line)) {
      const std::string t = TrimLeft(line);
      if (!t.empty() && t[0] == '>') {
        in_head = false;
        if (t.size() > 1 && t[1] == '!') continue;  // comment
        const std::string up = Upper(t.substr(1));
        std::size_t end = up.find_first_of(" \t");
        Block b{up.substr(0, end), t, {}};
        if (b.keyword == "HEAD") {
          in_head = true;
          head_seen_ = true;
          sb_.header = ">HEAD\n";
          continue;
        }
        if (b.keyword == "HMEAS" || b.keyword == "EMEAS") {
          channels_.push_back(
              {Attribute(t, "ID"), Upper(Attribute(t, "CHTYPE"))});
          continue;
        }
        if (b.keyword == "END") break;
        blocks_.push_back(b);
        current = &blocks_.back();
        continue;
      }
      if (in_head) {
        if (head_lines++ < 23) sb_.header += line + "\n";
        head_.push_back(line);
        continue;
      }
      if (current != nullptr) Numbers(t, current->values);
    }
    return Assemble();
  }

 private:
  const Block* Find(const std::string& keyword) const {
    for (const Block& b : blocks_) {
      if (b.keyword == keyword) return &b;
    }
    return nullptr;
  }

  std::string HeadValue(const std::string& name) const {
    for (const std::string& l : head_) {
      std::string v = Attribute(l, name);
      if (!v.empty()) return v;
    }
    return {};
  }

  bool Assemble() {
    if (!head_seen_) sb_.header = ">HEAD\n";
    const std::string empty_text = HeadValue("EMPTY");
    empty_ = empty_text.empty() ? 1.0e32 : AtoF(empty_text);
    if (Find("SPECTRA") != nullptr) {
      if (!ReadSpectra()) return false;
    } else if (!ReadImpedances()) {
      return false;
    }
    if (!DropMissingPoints()) return false;
    const std::string equal = SortByFrequency(sb_);
    if (!equal.empty()) ui_.Show(equal, "FIELD DATA", Icon::kExclamation);
    Station();
    BuildSoundingListing(sb_);
    return true;
  }

  bool IsEmpty(double v) const {
    return !std::isfinite(v) ||
           std::fabs(v - empty_) <= 1e-6 * std::fabs(empty_) ||
           std::fabs(v) >= 1e30;
  }

  void TooMany(int n) {
    report_.frequencies_in_file = n;
    if (n > MaxFreq) {
      char text[128];
      std::snprintf(
          text,
          sizeof text,
          "The file holds %i frequencies;\nonly the first %i are read.",
          n,
          MaxFreq);
      ui_.Show(text, "TOO MANY FREQUENCIES", Icon::kExclamation);
    }
  }

  // Resistivity and phase errors from the absolute error e of an impedance,
  // as the spectra estimator derives them.
  static void ErrorsFromImpedance(double zr,
                                  double zi,
                                  double e,
                                  double f,
                                  float& rho_err,
                                  float& phs_err) {
    const double abs_z = std::hypot(zr, zi);
    const double rho = 0.2 * abs_z * abs_z / f;
    const double k = 1.0 + 2.0 * e / abs_z;
    rho_err = ToF32(0.5 * (k * rho - rho / k));
    phs_err = ToF32(std::atan2(e, abs_z) * kDegPerRad);
  }

  bool ReadImpedances() {
    static const char* const kZ[8] = {
        "ZXXR", "ZXXI", "ZXYR", "ZXYI", "ZYXR", "ZYXI", "ZYYR", "ZYYI"};
    const Block* freq = Find("FREQ");
    if (freq == nullptr || freq->values.empty()) {
      ui_.Show("Can't find frequencies ('>FREQ') nor spectra ('>SPECTRA')",
               kCaption,
               Icon::kStop);
      return false;
    }
    const Block* z[8];
    if (Find("ZXXR") == nullptr && Find("RHOXY") != nullptr &&
        Find("PHSXY") != nullptr && Find("RHOYX") != nullptr &&
        Find("PHSYX") != nullptr) {
      return ReadResistivitiesAndPhases(*freq);
    }
    for (int i = 0; i < 8; ++i) {
      z[i] = Find(kZ[i]);
      if (z[i] == nullptr) {
        // Files with resistivities and phases only have no tensor to read.
        ui_.Show(
            std::string("Can't find the impedance block '>") + kZ[i] +
                "'\n(files with resistivities and phases only are not read)",
            kCaption,
            Icon::kStop);
        return false;
      }
    }
    const int n_file = static_cast<int>(freq->values.size());
    TooMany(n_file);
    const int n = std::min(n_file, MaxFreq);
    sb_.nfreq = n;
    PointArray* targets[8] = {&sb_.zxxr,
                              &sb_.zxxi,
                              &sb_.zxyr,
                              &sb_.zxyi,
                              &sb_.zyxr,
                              &sb_.zyxi,
                              &sb_.zyyr,
                              &sb_.zyyi};
    const Block* zrot = Find("ZROT");
    for (int k = 0; k < n; ++k) {
      sb_.freq[k] = ToF32(freq->values[k]);
      bool missing = IsEmpty(freq->values[k]);
      double v[8];
      for (int i = 0; i < 8; ++i) {
        v[i] = k < static_cast<int>(z[i]->values.size()) ? z[i]->values[k]
                                                         : empty_;
        if (IsEmpty(v[i])) {
          missing = true;
          v[i] = 0.0;
        }
      }
      if (zrot != nullptr && k < static_cast<int>(zrot->values.size()) &&
          !IsEmpty(zrot->values[k]) && zrot->values[k] != 0.0) {
        RotateToGeographic(v, zrot->values[k]);
      }
      for (int i = 0; i < 8; ++i) (*targets[i])[k] = ToF32(v[i]);
      sb_.missing[k] = missing ? 1 : 0;
    }
    AssignErrors(n);
    return true;
  }

  // Files with apparent resistivities and phases only: the off-diagonal
  // impedances follow from them (|Z| = sqrt(rho f / 0.2), the phase as
  // written); the diagonal ones are 0.
  bool ReadResistivitiesAndPhases(const Block& freq) {
    const Block* rho[2] = {Find("RHOXY"), Find("RHOYX")};
    const Block* phs[2] = {Find("PHSXY"), Find("PHSYX")};
    const int n_file = static_cast<int>(freq.values.size());
    TooMany(n_file);
    const int n = std::min(n_file, MaxFreq);
    sb_.nfreq = n;
    PointArray* re[2] = {&sb_.zxyr, &sb_.zyxr};
    PointArray* im[2] = {&sb_.zxyi, &sb_.zyxi};
    for (int k = 0; k < n; ++k) {
      const double f = freq.values[k];
      sb_.freq[k] = ToF32(f);
      bool missing = IsEmpty(f);
      for (int m = 0; m < 2; ++m) {
        const double r = k < static_cast<int>(rho[m]->values.size())
                             ? rho[m]->values[k]
                             : empty_;
        const double p = k < static_cast<int>(phs[m]->values.size())
                             ? phs[m]->values[k]
                             : empty_;
        if (IsEmpty(r) || IsEmpty(p) || !(r > 0.0)) {
          missing = true;
          continue;
        }
        // A YX phase written in the first quadrant stands for the negated
        // ZYX (the YX curve negates it again).
        const double sign = m == 1 && std::fabs(p) < 90.0 ? -1.0 : 1.0;
        const double abs_z = sign * std::sqrt(r * f / 0.2);
        (*re[m])[k] = ToF32(abs_z * std::cos(p / kDegPerRad));
        (*im[m])[k] = ToF32(abs_z * std::sin(p / kDegPerRad));
      }
      sb_.missing[k] = missing ? 1 : 0;
    }
    AssignErrors(n);
    return true;
  }

  // The tensor measured in axes turned by `angle` degrees (clockwise from
  // north) back to north-east axes: Z = R^T Z' R.
  static void RotateToGeographic(double* v, double angle) {
    const double a = -angle / kDegPerRad;
    const double c = std::cos(a), s = std::sin(a);
    for (int part = 0; part < 2; ++part) {
      const double xx = v[0 + part], xy = v[2 + part], yx = v[4 + part],
                   yy = v[6 + part];
      const double qxx = c * xx + s * yx, qxy = c * xy + s * yy;
      const double qyx = -s * xx + c * yx, qyy = -s * xy + c * yy;
      v[0 + part] = qxx * c + qxy * s;
      v[2 + part] = -qxx * s + qxy * c;
      v[4 + part] = qyx * c + qyy * s;
      v[6 + part] = -qyx * s + qyy * c;
    }
  }

  void AssignErrors(int n) {
    const Block* rxy = Find("RHOXY.ERR");
    const Block* ryx = Find("RHOYX.ERR");
    const Block* pxy = Find("PHSXY.ERR");
    const Block* pyx = Find("PHSYX.ERR");
    const Block* vxy = Find("ZXY.VAR");
    const Block* vyx = Find("ZYX.VAR");
    auto at = [](const Block* b, int k) {
      return b != nullptr && k < static_cast<int>(b->values.size())
                 ? b->values[k]
                 : NAN;
    };
    if (rxy && ryx && pxy && pyx) {
      report_.error_source = "RHO/PHS .ERR";
      for (int k = 0; k < n; ++k) {
        const double e[4] = {at(rxy, k), at(ryx, k), at(pxy, k), at(pyx, k)};
        for (double v : e) {
          if (IsEmpty(v)) sb_.missing[k] = 1;
        }
        sb_.rhoxy_err[k] = ToF32(e[0]);
        sb_.rhoyx_err[k] = ToF32(e[1]);
        sb_.phsxy_err[k] = ToF32(e[2]);
        sb_.phsyx_err[k] = ToF32(e[3]);
      }
      return;
    }
    const bool variances = vxy != nullptr && vyx != nullptr;
    report_.error_source = variances ? "Z .VAR" : "default";
    std::string no_variance;  // frequencies whose VAR is 0 or below
    for (int k = 0; k < n; ++k) {
      const double f = sb_.freq[k];
      if (variances && (IsEmpty(at(vxy, k)) || IsEmpty(at(vyx, k))))
        sb_.missing[k] = 1;
      // A variance of 0 or below gives no error: the default one stands in.
      const bool given_xy = variances && at(vxy, k) > 0.0;
      const bool given_yx = variances && at(vyx, k) > 0.0;
      if (variances && !sb_.missing[k] && (!given_xy || !given_yx)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4g Hz", f);
        no_variance += (no_variance.empty() ? "" : ", ") + std::string(text);
      }
      double exy = given_xy
                       ? std::sqrt(at(vxy, k))
                       : default_error_ * std::hypot(sb_.zxyr[k], sb_.zxyi[k]);
      double eyx = given_yx
                       ? std::sqrt(at(vyx, k))
                       : default_error_ * std::hypot(sb_.zyxr[k], sb_.zyxi[k]);
      ErrorsFromImpedance(
          sb_.zxyr[k], sb_.zxyi[k], exy, f, sb_.rhoxy_err[k], sb_.phsxy_err[k]);
      ErrorsFromImpedance(
          sb_.zyxr[k], sb_.zyxi[k], eyx, f, sb_.rhoyx_err[k], sb_.phsyx_err[k]);
    }
    if (!no_variance.empty()) {
      char text[200];
      std::snprintf(text,
                    sizeof text,
                    "The variance is 0 or below (no error) at some "
                    "frequencies;\ntheir impedance errors are set to %.3g "
                    "%% of |Z|:\n",
                    default_error_ * 100.0);
      ui_.Show(text + no_variance, kCaption, Icon::kExclamation);
    }
    if (!variances) {
      char text[200];
      std::snprintf(text,
                    sizeof text,
                    "The file has no error blocks:\nthe impedance errors are "
                    "set to %.3g %% of |Z|.",
                    default_error_ * 100.0);
      ui_.Show(text, kCaption, Icon::kExclamation);
    }
  }

  // Order of the spectra channels in our matrix: Hx Hy Hz Ex Ey Rx Ry.
  std::vector<int> ChannelOrder(int count) const {
    std::vector<int> order(7, -1);
    // The channel identifiers listed after the section's "//" line follow
    // the matrix rows; without them the measurement order is taken.
    // The identifiers close the section, after its "// n" count.
    std::vector<std::string> row_ids;
    if (static_cast<int>(section_ids_.size()) >= count) {
      row_ids.assign(section_ids_.end() - count, section_ids_.end());
    }
    if (static_cast<int>(row_ids.size()) != count) {
      row_ids.clear();
      for (const Channel& c : channels_) row_ids.push_back(c.id);
    }
    auto type_of = [&](const std::string& id) {
      for (const Channel& c : channels_) {
        if (c.id == id) return c.type;
      }
      return std::string();
    };
    const std::map<std::string, int> slot = {{"HX", 0},
                                             {"HY", 1},
                                             {"HZ", 2},
                                             {"EX", 3},
                                             {"EY", 4},
                                             {"RX", 5},
                                             {"RY", 6}};
    for (int r = 0; r < static_cast<int>(row_ids.size()) && r < count; ++r) {
      auto it = slot.find(type_of(row_ids[r]));
      if (it == slot.end()) continue;
      int s = it->second;
      if (order[s] >= 0) {
        // A second magnetic or electric channel of a kind is the remote one.
        if (s == 0 || s == 3)
          s = 5;
        else if (s == 1 || s == 4)
          s = 6;
        else
          continue;
        if (order[s] >= 0) continue;
      }
      order[s] = r;
    }
    for (int s = 0; s < 7; ++s) {
      if (order[s] < 0) order[s] = s < count ? s : 0;  // the standard order
    }
    return order;
  }

  bool ReadSpectra() {
    // Channel identifiers of the spectra section, in matrix order.
    for (const Block& b : blocks_) {
      if (b.keyword != "=SPECTRASECT") continue;
      for (double v : b.values) {
        char id[64];
        std::snprintf(id, sizeof id, "%g", v);
        section_ids_.push_back(id);
      }
    }
    // The identifiers may be written with their decimals (251.025): match
    // them against the measurement ids by value.
    for (std::string& id : section_ids_) {
      for (const Channel& c : channels_) {
        if (std::fabs(AtoF(c.id) - AtoF(id)) < 1e-9) id = c.id;
      }
    }
    std::vector<const Block*> spectra;
    for (const Block& b : blocks_) {
      if (b.keyword == "SPECTRA") spectra.push_back(&b);
    }
    TooMany(static_cast<int>(spectra.size()));
    const int n = std::min<int>(static_cast<int>(spectra.size()), MaxFreq);
    report_.spectra = true;
    report_.error_source = "spectra";
    sb_.nfreq = n;
    for (int k = 0; k < n; ++k) {
      const Block& b = *spectra[k];
      const int count = std::max(1,
                                 static_cast<int>(std::lround(std::sqrt(
                                     static_cast<double>(b.values.size())))));
      const std::vector<int> order = ChannelOrder(count);
      const double freq = AtoF(Attribute(b.line, "FREQ"));
      const std::string avgt = Attribute(b.line, "AVGT");
      const double averaged = avgt.empty() ? 1.0 : AtoF(avgt);
      auto a_file = [&](int r, int c) {
        const std::size_t i = static_cast<std::size_t>(r) * count + c;
        return i < b.values.size() ? b.values[i] : 0.0;
      };
      SpectraMatrix a = {};
      for (int p = 0; p < 7; ++p) {
        for (int q = 0; q < 7; ++q) {
          const int fp = order[p], fq = order[q];
          if (p == q) {
            a[p][p] = a_file(fp, fp);
          } else if (p < q) {
            // C(p,q) = A(q,p) + i A(p,q); the file's pair keeps its own order.
            const double re = fp < fq ? a_file(fq, fp) : a_file(fp, fq);
            const double im = fp < fq ? a_file(fp, fq) : -a_file(fq, fp);
            a[q][p] = re;
            a[p][q] = im;
          }
        }
      }
      const SpectraEstimate z = EstimateImpedance(a, freq, averaged);
      StoreSpectraEstimate(sb_, k, freq, z);
      sb_.missing[k] = freq > 0.0 ? 0 : 1;
    }
    if (n == 0) {
      ui_.Show("Can't find spectra ('>SPECTRA')", kCaption, Icon::kStop);
      return false;
    }
    return true;
  }

  // Points the file marks as missing (EMPTY), and points without a positive
  // frequency or with a value that is not a number, are left out: nothing
  // may stand in for a missing value in a curve, a fit or a file. The user
  // is told which frequencies went.
  bool DropMissingPoints() {
    int kept = 0;
    std::vector<std::string> dropped;
    for (int k = 0; k < sb_.nfreq; ++k) {
      const float f = sb_.freq[k];
      bool bad = sb_.missing[k] != 0 || !(f > 0.0f) || IsEmpty(f);
      for (int i = 1; i < kSoundingArrays; ++i) {
        if (IsEmpty(sb_.Array(i)[k])) bad = true;
      }
      if (bad) {
        char text[64];
        if (f > 0.0f && !IsEmpty(f)) {
          std::snprintf(text, sizeof text, "%.4g Hz", static_cast<double>(f));
        } else {
          std::snprintf(text, sizeof text, "point %i (no frequency)", k + 1);
        }
        dropped.push_back(text);
        continue;
      }
      for (int i = 0; i < kSoundingArrays; ++i)
        sb_.Array(i)[kept] = sb_.Array(i)[k];
      ++kept;
    }
    for (int i = 0; i < kSoundingArrays; ++i) {
      std::fill(sb_.Array(i).begin() + kept, sb_.Array(i).end(), 0.0f);
    }
    sb_.missing.fill(0);
    sb_.nfreq = kept;
    report_.missing_points = static_cast<int>(dropped.size());
    if (dropped.empty()) return true;
    std::string list;
    for (std::size_t i = 0; i < dropped.size(); ++i) {
      if (i == 12) {
        list += ", ...";
        break;
      }
      list += (i ? ", " : "") + dropped[i];
    }
    if (kept == 0) {
      ui_.Show(
          "No frequency of the file holds usable values (all are "
          "missing, EMPTY, or not numbers):\n" +
              list,
          kCaption,
          Icon::kStop);
      return false;
    }
    char head[160];
    std::snprintf(head,
                  sizeof head,
                  "%i of the file's frequencies are left out: their values "
                  "are missing (EMPTY) or not numbers:\n",
                  static_cast<int>(dropped.size()));
    ui_.Show(head + list, kCaption, Icon::kExclamation);
    return true;
  }

  void Station() {
    std::string name = HeadValue("DATAID");
    if (name.empty()) {
      for (const Block& b : blocks_) {
        if (b.keyword == "=MTSECT" || b.keyword == "=SPECTRASECT")
          name = Attribute(b.line, "SECTID");
      }
    }
    if (Trim(name).empty()) name = file_stem_;  // the file's name says the site
    sb_.station = Trim(name).substr(0, 12);
    const std::string lat = HeadValue("LAT"), lon = HeadValue("LONG"),
                      elev = HeadValue("ELEV");
    if (!lat.empty()) sb_.lat = Coordinate(lat);
    if (!lon.empty()) sb_.lon = Coordinate(lon);
    if (!elev.empty()) sb_.elev = Coordinate(elev);
    for (int i = 0; i <= 12; ++i) sb_.listing[i] = "            ";
    int line = 0;
    for (const std::string& l : head_) {
      if (line >= 10) break;
      if (!Trim(l).empty()) sb_.listing[line++] = l;
    }
    sb_.listing[10] = "*****************************";
  }

  SoundingBuffer& sb_;
  Ui& ui_;
  double default_error_;
  EdiImportReport& report_;
  std::vector<Block> blocks_;
  std::vector<Channel> channels_;
  std::vector<std::string> head_;
  std::vector<std::string> section_ids_;
  std::string file_stem_;
  bool head_seen_ = false;
  double empty_ = 1.0e32;
};

}  // namespace

bool ImportEdiFile(const std::string& path,
                   Workspace& workspace,
                   Ui& ui,
                   double default_error,
                   EdiImportReport* report) {
  EdiImportReport local;
  EdiImportReport& r = report ? *report : local;
  r = EdiImportReport{};
  RememberFieldPath(path, workspace);
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    ui.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  SoundingBuffer& sb = workspace.sounding;
  ClearSoundingBuffer(sb);
  const std::string& name = workspace.files.field_name;
  EdiImporter importer(
      sb, ui, default_error, r, name.substr(0, name.rfind('.')));
  if (!importer.Read(file)) return false;
  workspace.header_present = 1;
  return true;
}

}  // namespace mtvuk
