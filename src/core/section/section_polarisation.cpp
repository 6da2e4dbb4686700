#include "core/section/section_polarisation.h"

#include <cctype>

namespace mtvuk {

SectionPolarisation PolarisationOfName(const std::string& name) {
  const std::size_t at = name.find_first_not_of(' ');
  if (at == std::string::npos || name.size() < at + 2) {
    return SectionPolarisation::kBoth;
  }
  // The mode is a word of its own: "XYLO 3" is a station, not an XY curve.
  if (name.size() > at + 2 &&
      std::isalnum(static_cast<unsigned char>(name[at + 2]))) {
    return SectionPolarisation::kBoth;
  }
  const char a =
      static_cast<char>(std::toupper(static_cast<unsigned char>(name[at])));
  const char b =
      static_cast<char>(std::toupper(static_cast<unsigned char>(name[at + 1])));
  if (a == 'X' && b == 'Y') return SectionPolarisation::kXy;
  if (a == 'Y' && b == 'X') return SectionPolarisation::kYx;
  return SectionPolarisation::kBoth;
}

std::vector<SectionStation> StationsOfPolarisation(
    const std::vector<SectionStation>& stations,
    SectionPolarisation polarisation) {
  if (polarisation == SectionPolarisation::kBoth) return stations;
  std::vector<SectionStation> out;
  for (const SectionStation& s : stations) {
    if (PolarisationOfName(s.name) == polarisation) out.push_back(s);
  }
  return out;
}

}  // namespace mtvuk
