#include "core/formats/emtf_xml_reader.h"

#include <cstdio>
#include <cstring>
#include <pugixml.hpp>

#include "core/formats/format_text.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using format_text::Numbers;
using format_text::Trim;
using format_text::Upper;

pugi::xml_node Child(pugi::xml_node node, const char* name) {
  const std::string want = Upper(name);
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_element && Upper(c.name()) == want) return c;
  }
  return {};
}

// A path of child names below `node` ("Site/Location/Latitude").
pugi::xml_node Path(pugi::xml_node node, std::string_view path) {
  while (node && !path.empty()) {
    const std::size_t slash = path.find('/');
    node = Child(node, std::string(path.substr(0, slash)).c_str());
    path = slash == std::string_view::npos ? std::string_view()
                                           : path.substr(slash + 1);
  }
  return node;
}

std::string Attribute(pugi::xml_node node, const char* name) {
  const std::string want = Upper(name);
  for (pugi::xml_attribute a : node.attributes()) {
    if (Upper(a.name()) == want) return a.value();
  }
  return {};
}

std::optional<double> NumberOf(pugi::xml_node node) {
  if (!node) return std::nullopt;
  double v = 0.0;
  const std::string text(Trim(node.child_value()));
  if (!ParseNumber(text, v) || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Row (0 = x, 1 = y) of a channel name such as "Ex", "HY".
int Axis(const std::string& channel) {
  if (channel.empty()) return -1;
  const char c = static_cast<char>(
      std::toupper(static_cast<unsigned char>(channel.back())));
  return c == 'X' ? 0 : c == 'Y' ? 1 : -1;
}

// Element index (xx, xy, yx, yy) of a value: from its output and input
// channels, else from its name ("Zxy"), else from its place.
int ElementOf(pugi::xml_node value, int place) {
  const int out = Axis(Attribute(value, "output"));
  const int in = Axis(Attribute(value, "input"));
  if (out >= 0 && in >= 0) return 2 * out + in;
  const std::string name = Upper(Attribute(value, "name"));
  if (name.size() >= 2) {
    const int a = Axis(name.substr(0, name.size() - 1));
    const int b = Axis(name);
    if (a >= 0 && b >= 0) return 2 * a + b;
  }
  return place < 4 ? place : -1;
}

// Factor from the file's impedance units to mV/km per nT; 0 when unknown.
double UnitFactor(const std::string& units) {
  const std::string u = Upper(units);
  if (u.empty() || u.find("MV/KM") != std::string::npos) return 1.0;
  if (u.find("OHM") != std::string::npos ||
      u.find("[V/M]/[A/M]") != std::string::npos)
    return kFieldUnitsPerOhm;
  if (u.find("[V/M]/[T]") != std::string::npos) return 1e-3;
  return 0.0;
}

// Stray "&" that begin no entity, as some archive files have in their
// comments, are written as "&amp;" so that the document parses.
std::string EscapeStrayAmpersands(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 64);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const std::size_t semi = text.find(';', i);
    bool entity =
        semi != std::string_view::npos && semi - i <= 10 && semi > i + 1;
    for (std::size_t j = i + 1; entity && j < semi; ++j) {
      const char c = text[j];
      entity = std::isalnum(static_cast<unsigned char>(c)) || c == '#';
    }
    out += entity ? "&" : "&amp;";
  }
  return out;
}

struct Estimates {
  std::array<double, 4> var{NAN, NAN, NAN, NAN};
};

// Variances of the four elements: Z.VAR, else N_ii S_jj from the residual
// covariance N (outputs) and the inverse signal power S (inputs).
Estimates Variances(pugi::xml_node period) {
  Estimates e;
  if (pugi::xml_node v = Child(period, "Z.VAR")) {
    int place = 0;
    for (pugi::xml_node value : v.children()) {
      if (value.type() != pugi::node_element) continue;
      const int el = ElementOf(value, place++);
      const std::vector<double> n = Numbers(value.child_value());
      if (el >= 0 && !n.empty()) e.var[el] = n[0];
    }
    return e;
  }
  pugi::xml_node s = Child(period, "Z.INVSIGCOV");
  pugi::xml_node r = Child(period, "Z.RESIDCOV");
  if (!s || !r) return e;
  auto diagonal = [](pugi::xml_node m, std::array<double, 2>& d) {
    int place = 0;
    for (pugi::xml_node value : m.children()) {
      if (value.type() != pugi::node_element) continue;
      int out = Axis(Attribute(value, "output"));
      int in = Axis(Attribute(value, "input"));
      if (out < 0 || in < 0) {
        out = place / 2;
        in = place % 2;
      }
      ++place;
      const std::vector<double> n = Numbers(value.child_value());
      if (out == in && !n.empty()) d[out] = n[0];
    }
  };
  std::array<double, 2> sd{NAN, NAN}, nd{NAN, NAN};
  diagonal(s, sd);
  diagonal(r, nd);
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) e.var[2 * i + j] = nd[i] * sd[j];
  }
  return e;
}

}  // namespace

bool ReadEmtfXml(std::string_view text,
                 TransferFunction& tf,
                 std::string& error) {
  tf = TransferFunction{};
  tf.format = kEmtfXmlFormat;
  error.clear();  // the reader keeps its own state in it
  pugi::xml_document doc;
  const unsigned options = pugi::parse_default;
  pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(), options);
  if (!parsed) {
    const std::string repaired = EscapeStrayAmpersands(text);
    pugi::xml_document second;
    pugi::xml_parse_result again =
        second.load_buffer(repaired.data(), repaired.size(), options);
    if (again) {
      doc.reset(second);
      tf.notes.push_back("XML REPAIRED=stray '&' escaped");
    } else {
      // The tree up to the damage is kept; its data are used only when the
      // damage lies after the last period (checked below).
      char text_error[200];
      std::snprintf(text_error,
                    sizeof text_error,
                    "The file is not well-formed XML (%s at character "
                    "%lld).",
                    parsed.description(),
                    static_cast<long long>(parsed.offset));
      error = text_error;
    }
  }
  pugi::xml_node root = Child(doc, "EM_TF");
  if (!root) {
    if (error.empty()) error = "The file has no <EM_TF> element.";
    return false;
  }
  pugi::xml_node data = Child(root, "Data");
  if (!data) {
    error = error.empty() ? "The file has no <Data> element: no impedances."
                          : error + "\nNo <Data> element could be read.";
    return false;
  }
  if (!error.empty()) {
    // Damage inside or before the data: the data may be cut short.
    const std::size_t data_end =
        static_cast<std::size_t>(text.rfind("</Data>"));
    if (data_end == std::string_view::npos ||
        static_cast<std::size_t>(parsed.offset) <= data_end) {
      error += "\nThe damage lies within the data: nothing is read.";
      return false;
    }
    tf.warnings.push_back(error +
                          "\nThe damage lies after the data, which are read.");
    error.clear();
  }
  // Site.
  pugi::xml_node site = Child(root, "Site");
  std::string id(Trim(Path(site, "Id").child_value()));
  if (id.empty()) {
    // "USArray.PAL53.2016": the middle part names the site.
    const std::string product(Trim(Child(root, "ProductId").child_value()));
    const std::size_t a = product.find('.');
    const std::size_t b = product.find('.', a == std::string::npos ? 0 : a + 1);
    if (a != std::string::npos && b != std::string::npos)
      id = product.substr(a + 1, b - a - 1);
  }
  tf.station = id;
  pugi::xml_node location = Path(site, "Location");
  tf.lat = NumberOf(Child(location, "Latitude"));
  tf.lon = NumberOf(Child(location, "Longitude"));
  pugi::xml_node elevation = Child(location, "Elevation");
  tf.elev = NumberOf(elevation);
  if (tf.elev && Upper(Attribute(elevation, "units")).find("FEET") == 0)
    *tf.elev *= 0.3048;
  tf.declination = NumberOf(Child(location, "Declination"));
  if (!tf.lat || !tf.lon) {
    tf.lat = NumberOf(Path(root, "LocationTime/LatMin"));
    tf.lon = NumberOf(Path(root, "LocationTime/LonMin"));
  }
  // Units, sign convention, orientation.
  std::string units;
  for (pugi::xml_node type : Child(root, "DataTypes").children()) {
    if (Upper(Attribute(type, "name")) == "Z") units = Attribute(type, "units");
  }
  const std::string sign(
      Trim(Path(root, "ProcessingInfo/SignConvention").child_value()));
  const bool conjugate = sign.find('-') != std::string::npos;
  if (sign.empty()) {
    tf.notes.push_back("SIGN=exp(+i omega t) assumed (none given)");
  } else {
    tf.notes.push_back("SIGN=" + sign + (conjugate ? " (conjugated)" : ""));
  }
  double rotation = 0.0;
  if (auto angle = [&]() -> std::optional<double> {
        pugi::xml_node o = Child(site, "Orientation");
        double v = 0.0;
        if (o && ParseNumber(Attribute(o, "angle_to_geographic_north"), v))
          return v;
        return std::nullopt;
      }()) {
    rotation = *angle;
  }
  if (std::isfinite(rotation) && rotation != 0.0) {
    char note[96];
    std::snprintf(note,
                  sizeof note,
                  "ROTATION=axes turned %.2f deg from north, turned back",
                  rotation);
    tf.notes.push_back(note);
  }
  // Periods.
  for (pugi::xml_node period : data.children()) {
    if (period.type() != pugi::node_element || Upper(period.name()) != "PERIOD")
      continue;
    TfPoint p;
    double t = 0.0;
    const bool has_value = ParseNumber(Attribute(period, "value"), t);
    const std::string t_units = Upper(Attribute(period, "units"));
    p.freq = !has_value || !(t > 0.0) ? 0.0 : t_units == "HZ" ? t : 1.0 / t;
    pugi::xml_node z = Child(period, "Z");
    if (!z) continue;  // a period with tipper only
    const std::string z_units = Attribute(z, "units");
    const double factor = UnitFactor(z_units.empty() ? units : z_units);
    if (factor == 0.0) {
      error = "The units of the impedance, '" +
              (z_units.empty() ? units : z_units) + "', are not known.";
      return false;
    }
    bool seen[4] = {false, false, false, false};
    int place = 0;
    for (pugi::xml_node value : z.children()) {
      if (value.type() != pugi::node_element) continue;
      const int el = ElementOf(value, place++);
      const std::vector<double> n = Numbers(value.child_value());
      if (el < 0 || n.size() < 2) continue;
      p.z[el] = {n[0] * factor, (conjugate ? -n[1] : n[1]) * factor};
      seen[el] = true;
    }
    p.missing = !(seen[0] && seen[1] && seen[2] && seen[3]);
    const Estimates est = Variances(period);
    for (int el = 0; el < 4; ++el) p.var[el] = est.var[el] * factor * factor;
    if (rotation != 0.0 && std::isfinite(rotation)) RotateTensor(p, rotation);
    tf.points.push_back(p);
  }
  if (tf.points.empty()) {
    error = "The file has no period with an impedance (<Period> with <Z>).";
    return false;
  }
  if (units.empty() &&
      Attribute(Child(Child(data, "Period"), "Z"), "units").empty())
    tf.notes.push_back("UNITS=[mV/km]/[nT] assumed (none given)");
  return true;
}

}  // namespace mtvuk
