#include "core/formats/emtf_xml_writer.h"

#include <cstdio>
#include <pugixml.hpp>
#include <sstream>

#include "core/files/file_writing.h"

namespace mtvuk {
namespace {

std::string Number(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

void Text(pugi::xml_node parent, const char* name, const std::string& value) {
  parent.append_child(name).text().set(value.c_str());
}

const char* const kNames[4] = {"Zxx", "Zxy", "Zyx", "Zyy"};
const char* const kOutputs[4] = {"Ex", "Ex", "Ey", "Ey"};
const char* const kInputs[4] = {"Hx", "Hy", "Hx", "Hy"};

}  // namespace

std::string FormatEmtfXml(const TransferFunction& tf) {
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child("EM_TF");
  Text(root, "Description", "Magnetotelluric Transfer Functions");
  Text(root, "ProductId", "MT-VUK." + tf.station);
  Text(root, "SubType", "MT_TF");
  Text(root, "Tags", "impedance");
  pugi::xml_node provenance = root.append_child("Provenance");
  Text(provenance, "CreatingApplication", "MT-VUK");
  pugi::xml_node site = root.append_child("Site");
  Text(site, "Id", tf.station);
  pugi::xml_node location = site.append_child("Location");
  location.append_attribute("datum") = "WGS84";
  if (tf.lat && tf.lon) {
    Text(location, "Latitude", Number("%.6f", *tf.lat));
    Text(location, "Longitude", Number("%.6f", *tf.lon));
  }
  if (tf.elev) {
    pugi::xml_node e = location.append_child("Elevation");
    e.append_attribute("units") = "meters";
    e.text().set(Number("%.3f", *tf.elev).c_str());
  }
  if (tf.declination)
    Text(location, "Declination", Number("%.3f", *tf.declination));
  pugi::xml_node orientation = site.append_child("Orientation");
  orientation.append_attribute("angle_to_geographic_north") = "0.000";
  orientation.text().set("orthogonal");
  pugi::xml_node processing = root.append_child("ProcessingInfo");
  Text(processing, "SignConvention", "exp(+ i\\omega t)");
  pugi::xml_node estimates = root.append_child("StatisticalEstimates");
  pugi::xml_node var = estimates.append_child("Estimate");
  var.append_attribute("name") = "VAR";
  var.append_attribute("type") = "real";
  Text(var, "Description", "Variance");
  Text(var, "Intention", "error estimate");
  Text(var, "Tag", "variance");
  pugi::xml_node type = root.append_child("DataTypes").append_child("DataType");
  type.append_attribute("name") = "Z";
  type.append_attribute("type") = "complex";
  type.append_attribute("output") = "E";
  type.append_attribute("input") = "H";
  type.append_attribute("units") = "[mV/km]/[nT]";
  Text(type, "Description", "MT impedance");
  Text(type, "Intention", "primary data type");
  Text(type, "Tag", "impedance");
  pugi::xml_node layout = root.append_child("SiteLayout");
  pugi::xml_node inputs = layout.append_child("InputChannels");
  pugi::xml_node outputs = layout.append_child("OutputChannels");
  for (int c = 0; c < 2; ++c) {
    pugi::xml_node h = inputs.append_child("Magnetic");
    h.append_attribute("name") = c == 0 ? "Hx" : "Hy";
    h.append_attribute("orientation") = c == 0 ? "0.0" : "90.0";
    pugi::xml_node e = outputs.append_child("Electric");
    e.append_attribute("name") = c == 0 ? "Ex" : "Ey";
    e.append_attribute("orientation") = c == 0 ? "0.0" : "90.0";
  }
  pugi::xml_node data = root.append_child("Data");
  data.append_attribute("count") = static_cast<int>(tf.points.size());
  for (const TfPoint& p : tf.points) {
    pugi::xml_node period = data.append_child("Period");
    period.append_attribute("value") = Number("%.9e", 1.0 / p.freq).c_str();
    period.append_attribute("units") = "secs";
    pugi::xml_node z = period.append_child("Z");
    z.append_attribute("type") = "complex";
    z.append_attribute("size") = "2 2";
    z.append_attribute("units") = "[mV/km]/[nT]";
    pugi::xml_node v = period.append_child("Z.VAR");
    v.append_attribute("type") = "real";
    v.append_attribute("size") = "2 2";
    for (int e = 0; e < 4; ++e) {
      for (pugi::xml_node block : {z, v}) {
        pugi::xml_node value = block.append_child("value");
        value.append_attribute("name") = kNames[e];
        value.append_attribute("output") = kOutputs[e];
        value.append_attribute("input") = kInputs[e];
        const std::string text = block == z
                                     ? Number("%.9e", p.z[e].real()) + " " +
                                           Number("%.9e", p.z[e].imag())
                                     : Number("%.9e", p.var[e]);
        value.text().set(text.c_str());
      }
    }
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

bool ExportEmtfXml(const SoundingBuffer& sounding,
                   const std::string& path,
                   Ui& ui) {
  if (sounding.nfreq <= 0) {
    ui.Show("No field data are read: there is nothing to export.",
            "EMTF XML EXPORT",
            Icon::kExclamation);
    return false;
  }
  const std::string text =
      FormatEmtfXml(TransferFunctionFromSounding(sounding));
  return ReplaceFileContent(
      path,
      text,
      {"CAN'T CREATE FILE", "CAN'T OPEN FILE", "CAN'T WRITE FILE"},
      ui);
}

}  // namespace mtvuk
