// The workspace: the sounding last read, the period axis of the curve being
// derived, the files of the session and the settings shared by all windows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/section/colour_ramps.h"
#include "core/store/capacities.h"
#include "core/store/depth_settings.h"
#include "core/store/dimensionality_settings.h"
#include "core/store/field_set.h"
#include "core/store/layer_model.h"
#include "core/store/physics_setting.h"
#include "core/store/section_store.h"
#include "core/store/smooth_profile.h"
#include "core/store/sounding_buffer.h"

namespace mtvuk {

// Folders, names and extensions of the last files read and written.
struct FileStrings {
  std::string field_path;       // last field-data file read
  std::string field_name;       // its file name
  std::string field_extension;  // its extension, without the dot
  std::string int_saved;        // last INT file written
  std::string int_opened;       // last INT file read
  std::string trf_saved;
  std::string trf_opened;
  std::string synthetic_path;  // last synthetic sounding written
  std::string metafile_path;
};

// The method of the automatic inversion.
enum class FitMethod : std::int16_t { kRobust = 0, kClassic = 1 };

struct Workspace {
  SoundingBuffer sounding;
  PointArray period_axis{};  // s, 1/FREQ of the curve being derived
  FileStrings files;
  std::int32_t print_flag = 0;

  // Session state shared by the windows.
  std::int32_t header_present = 0;      // the last file had a >HEAD block
  std::int16_t current_model = 0;       // model shown by the model editor
  std::int32_t any_set_in_use = 0;      // some FieldSet holds a curve
  std::int32_t any_set_smoothed = 0;    // some FieldSet is smoothed
  std::int32_t graph_drawing = 0;       // a graph is being drawn
  std::int32_t any_curve_computed = 0;  // some model curve is computed
  std::int32_t any_model_shown = 1;     // some model curve is shown
  std::int32_t inversion_ready = 0;     // the inversion can run
  bool model_form_open = false;
  bool depth_window_open = false;

  // Modelling settings.
  float resistivity_step = 1.1f;  // factor of the resistivity step buttons
  float thickness_step = 0.1f;    // km, of the thickness step buttons
  std::int32_t pen_width = 2;     // pixels, model curves
  std::int32_t colour_flag = 1;   // coloured (1) or black (0) model pens
  std::int16_t polarisation = 0;  // CurveMode the model curves show
  double export_period_min = 0.001;
  double export_period_max = 10000.0;
  // The physics of every computation (Setting > Modeling); see
  // docs/physics.md.
  Physics physics = Physics::kPublished;
  // What counts as 1-D data (the "Dimensionality" window sets it).
  DimensionalityThresholds dimensionality;

  // Inversion settings and results.
  std::int16_t inversion_target = 1;   // 1 RE+IM, 2 RE, 3 IM, 4 Ro, 5 Res+Phs
  std::int16_t iteration_amount = 30;  // 1..30
  std::int32_t ignore_error_bars = 0;
  double re_weight = 0.5;   // share of Re Z in target 1
  double rho_weight = 0.5;  // share of the resistivity in target 5
  float derivative_step = 1.03f;
  std::int32_t show_fit_result = 0;
  double last_misfit = 0.0;
  std::int32_t inversion_done = 0;  // a run completed with an attached set
  FitMethod fit_method = FitMethod::kRobust;
  // Least standard error of a datum, percent of |Z|, in the fits weighted
  // by the data (the robust method, the smooth inversion).
  double error_floor_percent = 5.0;

  // Smoothing and the depth window.
  SmoothingSettings smoothing;
  bool smoothing_window_open = false;
  DepthWindowSettings depth;
  DesignedModel designed_model;

  // Editing of field data: the set marked in the "Edit data" window (-1
  // none), -100 while that window is closed.
  std::int16_t edit_marker = -100;
  bool edit_window_open = false;
  bool info_window_open = false;
  // Result files: the kind of the last file whose stations were read
  // (0 INT, 1 TRF).
  std::int32_t station_file_kind = 0;
  // Profile sections: the stack of five slots and the colours of each.
  SectionStack sections;
  std::array<SectionColourBlock, kSectionSlots> section_colours{};
  // The two colour ramps of the section pictures, made once at start.
  ColourRamps colour_ramps;
};

// The three stores of a session. They are created once and shared by
// reference; nothing copies them.
struct Stores {
  Workspace workspace;
  std::array<FieldSet, MaxSets> sets;
  std::array<LayerModel, MaxModels> models;
  // The smooth profile fitted to each field set (slot k to set k).
  SmoothProfiles profiles;
};

using FieldSets = std::array<FieldSet, MaxSets>;
using LayerModels = std::array<LayerModel, MaxModels>;

}  // namespace mtvuk
