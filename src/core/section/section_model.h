// The drawing model of a profile section: the stations of an INT or TRF
// file placed along the profile, their resistivity against depth, the
// interpolated image between them and the colour of a resistivity.
//
// Units. Stations as the readers return them hold layer thicknesses (INT)
// and curve depths (TRF) in km; the stations of a section hold them in
// metres, which is what the section writers expect ("&Save Section" writes
// them back in km). Inside this model all depths and positions are km.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/files/int_file.h"
#include "core/section/colour_ramps.h"
#include "core/section/section_polarisation.h"
#include "core/store/section_store.h"

namespace mtvuk {

enum class SectionSource { kInt, kTrf };

// The stations of a section: those with a profile position, sorted by it,
// with thicknesses (INT) or curve depths (TRF) converted from km to metres.
std::vector<SectionStation> SectionStationsFromFile(
    const std::vector<SectionStation>& stations, SectionSource source);

// The stations as "&Save Section" writes them: the first coordinate is the
// distance along the profile in metres, so that the saved file is a profile
// of its own (the writers put 0.0 in the second coordinate).
std::vector<SectionStation> StationsForSaving(
    const std::vector<SectionStation>& section_stations);

// One layer of a station, depths in km below the station's surface.
struct SectionLayer {
  double top_km = 0.0;
  double bottom_km = 0.0;  // infinite for the half-space
  double rho = 0.0;        // Ohm-m
  double log_rho = 0.0;    // its log10, read by every image cell
};

// One station of the section as drawn.
struct SectionColumn {
  std::string name;
  // The name as written above the column: a name that several columns of
  // the section share gets the station's number in its file (" #3").
  std::string label;
  int number = 0;            // 1-based position in its file
  double position_km = 0.0;  // along the profile
  // Where the column is drawn: its position, moved a little aside when
  // other soundings stand at the same place (the XY and YX of one station),
  // so that each keeps a column of its own.
  double draw_km = 0.0;
  double elevation_m = 0.0;
  // Depth of the station's surface below the section's datum (the surface
  // of the highest station, or the sea surface when a station lies below
  // it), km; 0 when elevation is not drawn.
  double surface_km = 0.0;
  // The model's first layer is the sea above a seafloor station: it is
  // drawn as water, and the column hangs from the sea surface.
  bool sea_layer = false;
  std::vector<SectionLayer> layers;  // INT stations
  // TRF stations: depths below the surface (km, ascending) and Ohm-m.
  std::vector<double> curve_depth_km;
  std::vector<double> curve_rho;
  std::vector<double> curve_log_rho;
  // The deepest depth below the surface the station tells about, km
  // (infinite for a layered model).
  double deepest_km = 0.0;
  // TRF stations: the deepest depth of the curve before the transformation
  // breaks down (a resistivity beyond 0.01..100000 Ohm-m or a depth more
  // than twice the one before), km.
  double resolved_km = 0.0;
};

// Whether a station read from a result file has something to draw: a
// layered model or a curve with a positive, finite resistivity, at finite
// coordinates.
bool StationHasValues(const SectionStation& station, SectionSource source);

class SectionModel {
 public:
  // `stations` in section units (metres). Stations without a usable value
  // (no positive, finite resistivity) are left out. With `use_elevation`
  // the stations hang from their own surface below the datum; without it
  // every surface lies at depth 0. With a `polarisation` other than kBoth
  // only the soundings whose names tell it are drawn (the section of one
  // polarisation); the others leave no column and no gap.
  SectionModel(const std::vector<SectionStation>& stations,
               SectionSource source,
               bool use_elevation,
               SectionPolarisation polarisation = SectionPolarisation::kBoth);

  SectionSource source() const { return source_; }
  SectionPolarisation polarisation() const { return polarisation_; }
  const std::vector<SectionColumn>& columns() const { return columns_; }

  // The smallest and largest resistivity drawn, Ohm-m. A single value v
  // gives v / sqrt(10) .. v * sqrt(10); a section without values 1 .. 1000.
  std::pair<double, double> ValueRange() const { return range_; }

  // Depth of the bottom of the section, km: the deepest depth the data
  // resolve below the datum, that is 1.5 times the deepest layer top of
  // the median station (INT; one badly resolved basement does not stretch
  // the section) or the deepest resolved curve depth (TRF); at least 0.1
  // and at most
  // kMaxAutoDepthKm, 1 for a section of half-spaces.
  double AutoDepthKm() const;
  static constexpr double kMaxAutoDepthKm = 200.0;

  // log10 of the resistivity of a column at `depth_km` below its own
  // surface; NaN below the deepest depth of a TRF curve. Layers are
  // constant within themselves; a curve is linear in log10 rho between its
  // depths and keeps its first value up to the surface.
  static double LogRhoAt(const SectionColumn& column, double depth_km);

  // The surface (km below the datum) at a drawn position, linear between
  // the columns and level beyond the ends.
  double SurfaceAt(double draw_km) const;

  // Depth of the sea surface below the datum, km, when a station lies
  // below sea level (and elevation is drawn); negative otherwise.
  double SeaLevelKm() const { return sea_level_km_; }

  // Soundings closer than this along the profile stand at one place.
  static constexpr double kSamePlaceKm = 0.001;

 private:
  void SpreadSamePlace();
  void LabelColumns();

  SectionSource source_;
  SectionPolarisation polarisation_;
  std::vector<SectionColumn> columns_;
  double sea_level_km_ = -1.0;
  std::pair<double, double> range_{1.0, 1000.0};
};

// The colour of a resistivity in a section's colour block: the `count`
// ramp indices of the list divide [log10 rho_min, log10 rho_max] into equal
// bands from the low end upward; the band's index is read in the palette's
// ramp. Values outside the range take the end bands; an empty list reads
// the whole ramp walk 0..216.
Rgb SectionColour(const SectionColourBlock& block,
                  const ColourRamps& ramps,
                  double rho,
                  double rho_min,
                  double rho_max);

// The band of the colour list a value falls in (0 .. count - 1), as
// SectionColour uses it.
int ColourBand(double rho, double rho_min, double rho_max, int count);

// Sets a slot's colour list to the full ramp walk 0, 1, ..., 216 (count
// 217), keeping its palette.
void ResetColourList(SectionColourBlock& block);

}  // namespace mtvuk
