#include "core/fielddata/field_editing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/smoothing.h"
#include "core/modelform/modeling_dialogs.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

// A dragged phase stays inside the open quadrant: the derivation stores a
// phase of 90 degrees or more as -89.
constexpr double kMaxPhase = 89.99;
// "Delete points from:" takes periods within the range of the period
// fields of the program.
constexpr double kMinCutPeriod = 1e-6;
constexpr double kMaxCutPeriod = 1e6;
constexpr char kRangeCaption[] = "MT-VUK";

bool SameBytes(const FieldPoint& a, const FieldPoint& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

const char* QuantityName(Quantity q) {
  static const char* const kNames[] = {"Res", "Phs", "ReZ", "ImZ"};
  return kNames[static_cast<int>(q)];
}

const char* QuantityUnit(Quantity q) {
  static const char* const kUnits[] = {
      "Ohm-m", "Degree", "mV/km/nT", "mV/km/nT"};
  return kUnits[static_cast<int>(q)];
}

}  // namespace

PointDisplay DisplayOf(const FieldSet& s, int i, Quantity q, bool absolute) {
  PointDisplay d;
  if (i < 0 || i >= MaxFreq || !(s.freq[i] > 0.0f)) return d;
  d.period = 1.0 / static_cast<double>(s.freq[i]);
  const bool log_y = q != Quantity::kPhase && absolute;
  double v = 0.0, lo = 0.0, hi = 0.0;
  switch (q) {
    case Quantity::kResistivity:
      v = std::pow(10.0, s.log_rho[i]);
      hi = std::pow(10.0, s.log_rho_upper[i]);
      lo = 2.0 * v - hi;  // the lower bound is rho minus the same error
      break;
    case Quantity::kPhase: {
      const double sign = absolute || s.phase_sign[i] ? 1.0 : -1.0;
      v = sign * s.phase[i];
      lo = v - s.phase_error[i];
      hi = v + s.phase_error[i];
      break;
    }
    case Quantity::kRealZ:
    case Quantity::kImagZ: {
      const double z = q == Quantity::kRealZ ? s.re_z[i] : s.im_z[i];
      const double rel = q == Quantity::kRealZ ? s.err_re[i] : s.err_im[i];
      v = absolute ? std::fabs(z) : z;
      lo = v - rel * std::fabs(z);
      hi = v + rel * std::fabs(z);
      break;
    }
  }
  if (!std::isfinite(v) || (log_y && !(v > 0.0))) return d;
  if (log_y && !(lo > 0.0)) lo = v * 0.01;  // an error larger than the value
  d.value = v;
  d.minus = std::isfinite(lo) ? std::max(0.0, v - lo) : 0.0;
  d.plus = std::isfinite(hi) ? std::max(0.0, hi - v) : 0.0;
  d.drawable = std::isfinite(d.period);
  return d;
}

std::string PointInfoText(
    const FieldSet& s, int k, int i, Quantity q, bool absolute) {
  const PointDisplay d = DisplayOf(s, i, q, absolute);
  const int count = std::clamp(s.count, 0, MaxFreq);
  char text[512];
  char value[96];
  if (d.drawable) {
    std::snprintf(value,
                  sizeof value,
                  "%-8s %.5g %s\nError    -%.3g / +%.3g",
                  QuantityName(q),
                  d.value,
                  QuantityUnit(q),
                  d.minus,
                  d.plus);
  } else {
    std::snprintf(value,
                  sizeof value,
                  "%-8s (cannot be shown)\nError    -",
                  QuantityName(q));
  }
  std::snprintf(text,
                sizeof text,
                "Set %d   %s\nPoint    %d of %d\nPeriod   %.5g s\n%s\nFlag     "
                "%s",
                k + 1,
                s.label.c_str(),
                i + 1,
                count,
                1.0 / static_cast<double>(s.freq[i]),
                value,
                PointOff(s, i) ? "switched off" : "used");
  return text;
}

FieldEditor::FieldEditor(Workspace& workspace, FieldSets& sets, Ui& ui)
    : workspace_(workspace), sets_(sets), ui_(ui) {
  const int marker = workspace_.edit_marker;
  marked_ =
      marker >= 0 && marker < MaxSets && sets_[marker].in_use > 0 ? marker : -1;
  ShowMarks();
}

void FieldEditor::ShowMarks() {
  // Loading a set writes -1 into its marker; 0 and 1 say that the set was
  // there when its edits were made.
  for (int s = 0; s < MaxSets; ++s) {
    if (sets_[s].in_use > 0) sets_[s].edit_marker = s == marked_ ? 1 : 0;
  }
  workspace_.edit_marker = static_cast<std::int16_t>(marked_);
}

bool FieldEditor::ToggleMark(int k) {
  if (k < 0 || k >= MaxSets || sets_[k].in_use <= 0) return false;
  marked_ = marked_ == k ? -1 : k;
  ShowMarks();
  return true;
}

bool FieldEditor::Editable(int i) const {
  return marked_ >= 0 && sets_[marked_].in_use > 0 && i >= 0 &&
         i < std::clamp(sets_[marked_].count, 0, MaxFreq);
}

bool FieldEditor::SetImpedance(int i, double re, double im) {
  FieldSet& s = sets_[marked_];
  if (!std::isfinite(re) || !std::isfinite(im) || (re == 0.0 && im == 0.0))
    return false;
  // The error bar moves with the value: the resistivity keeps its relative
  // error, the phase its error in degrees.
  const double rho = std::pow(10.0, static_cast<double>(s.log_rho[i]));
  const double rho_err =
      std::fabs(std::pow(10.0, static_cast<double>(s.log_rho_upper[i])) - rho);
  const double old_abs = std::hypot(static_cast<double>(s.re_z[i]), s.im_z[i]);
  const double new_abs = std::hypot(re, im);
  const double ratio =
      old_abs > 0.0 ? (new_abs / old_abs) * (new_abs / old_abs) : 1.0;
  const double new_rho_err =
      std::isfinite(rho_err * ratio) ? rho_err * ratio : 0.0;
  const FieldPoint before = PointOf(s, i);
  StoreFieldPoint(
      s, i, s.mode, re, im, new_rho_err, s.phase_error[i], workspace_.physics);
  if (!std::isfinite(s.log_rho[i])) {
    SetPoint(s, i, before);
    return false;
  }
  return true;
}

bool FieldEditor::SetValue(int i, double value, Quantity q, bool absolute) {
  if (!Editable(i)) return false;
  Edit edit{marked_, {{i, PointOf(sets_[marked_], i)}}};
  if (!ChangeValue(i, value, q, absolute)) return false;
  Commit(std::move(edit));
  return true;
}

bool FieldEditor::ChangeValue(int i, double value, Quantity q, bool absolute) {
  if (!Editable(i) || !std::isfinite(value)) return false;
  const FieldSet& s = sets_[marked_];
  const double re = s.re_z[i], im = s.im_z[i];
  switch (q) {
    case Quantity::kResistivity: {
      const double rho = std::pow(10.0, static_cast<double>(s.log_rho[i]));
      if (!(value > 0.0) || !(rho > 0.0)) return false;
      const double f = std::sqrt(value / rho);
      return SetImpedance(i, re * f, im * f);
    }
    case Quantity::kPhase: {
      double p = value;
      if (absolute) p = (s.phase_sign[i] ? 1.0 : -1.0) * std::fabs(value);
      p = std::clamp(p, -kMaxPhase, kMaxPhase) * kRadPerDeg;
      const double magnitude = std::hypot(re, im);
      return SetImpedance(i, magnitude * std::cos(p), magnitude * std::sin(p));
    }
    case Quantity::kRealZ:
    case Quantity::kImagZ: {
      const double old = q == Quantity::kRealZ ? re : im;
      double v = value;
      if (absolute) {
        if (!(value > 0.0)) return false;
        v = old < 0.0 ? -value : value;
      }
      return q == Quantity::kRealZ ? SetImpedance(i, v, im)
                                   : SetImpedance(i, re, v);
    }
  }
  return false;
}

bool FieldEditor::BeginDrag(int i) {
  if (!Editable(i)) return false;
  drag_point_ = i;
  drag_ = Edit{marked_, {{i, PointOf(sets_[marked_], i)}}};
  return true;
}

bool FieldEditor::DragTo(double value, Quantity q, bool absolute) {
  if (drag_point_ < 0 || marked_ != drag_.set) return false;
  return ChangeValue(drag_point_, value, q, absolute);
}

void FieldEditor::EndDrag() {
  if (drag_point_ < 0) return;
  drag_point_ = -1;
  Commit(std::move(drag_));
  drag_ = {};
}

bool FieldEditor::TogglePoint(int i) {
  if (!Editable(i)) return false;
  FieldSet& s = sets_[marked_];
  Edit edit{marked_, {{i, PointOf(s, i)}}};
  const bool off = PointOff(s, i);
  s.point_deleted[i] = off ? 0 : 1;
  s.point_use[i] = off ? 1.0f : 0.0f;
  Commit(std::move(edit));
  return true;
}

bool FieldEditor::InvertSign(int i, Quantity q) {
  if (!Editable(i) || q == Quantity::kResistivity) return false;
  FieldSet& s = sets_[marked_];
  Edit edit{marked_, {{i, PointOf(s, i)}}};
  const double re = s.re_z[i], im = s.im_z[i];
  const bool done = q == Quantity::kRealZ ? SetImpedance(i, -re, im)
                                          : SetImpedance(i, re, -im);
  if (done) Commit(std::move(edit));
  return done;
}

int FieldEditor::DeleteFrom(double from) {
  if (marked_ < 0 || sets_[marked_].in_use <= 0) return 0;
  FieldSet& s = sets_[marked_];
  Edit edit{marked_, {}};
  const int count = std::clamp(s.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) {
    const double period = 1.0 / static_cast<double>(s.freq[i]);
    if (!(period >= from) || PointOff(s, i)) continue;
    edit.before.emplace_back(i, PointOf(s, i));
    s.point_deleted[i] = 1;
    s.point_use[i] = 0.0f;
  }
  const int switched = static_cast<int>(edit.before.size());
  Commit(std::move(edit));
  return switched;
}

bool FieldEditor::DeleteFromText(const std::string& text) {
  if (marked_ < 0) {
    ui_.Show("1. Mark either of the color rectangle",
             kEditCaption,
             Icon::kExclamation);
    return false;
  }
  std::string token = text;
  token.erase(0, token.find_first_not_of(" \t"));
  token.erase(token.find_last_not_of(" \t") + 1);
  double from = 0.0;
  if (!ParseNumber(token, from)) {
    ui_.Show("Please enter a number.", kRangeCaption, Icon::kExclamation);
    return false;
  }
  if (!(from >= kMinCutPeriod && from <= kMaxCutPeriod)) {
    ui_.Show(NumberRangeMessage(kMinCutPeriod, kMaxCutPeriod, false),
             kRangeCaption,
             Icon::kExclamation);
    return false;
  }
  DeleteFrom(from);
  return true;
}

bool FieldEditor::Undo() {
  if (drag_point_ >= 0) EndDrag();
  if (history_.empty()) return false;
  const Edit edit = std::move(history_.back());
  history_.pop_back();
  FieldSet& s = sets_[edit.set];
  for (const auto& [i, point] : edit.before) SetPoint(s, i, point);
  Follow(edit.set);
  return true;
}

bool FieldEditor::RestoreAsRead() {
  if (marked_ < 0 || sets_[marked_].in_use <= 0) return false;
  FieldSet& s = sets_[marked_];
  Edit edit{marked_, {}};
  for (int i = 0; i < MaxFreq; ++i) {
    if (SameBytes(PointOf(s, i), s.as_read[i])) continue;
    edit.before.emplace_back(i, PointOf(s, i));
    SetPoint(s, i, s.as_read[i]);
  }
  Commit(std::move(edit));
  return true;
}

void FieldEditor::Commit(Edit edit) {
  if (edit.before.empty()) return;
  FieldSet& s = sets_[edit.set];
  bool changed = false;
  for (const auto& [i, point] : edit.before)
    changed = changed || !SameBytes(point, PointOf(s, i));
  if (!changed) return;
  const int set = edit.set;
  history_.push_back(std::move(edit));
  if (history_.size() > static_cast<std::size_t>(kMaxUndoEdits))
    history_.erase(history_.begin());
  Follow(set);
}

void FieldEditor::Follow(int k) {
  FieldSet& s = sets_[k];
  if (s.smoothed && s.in_use > 0) {
    const SmoothingOptions options = SmoothingOptions::ForSet(workspace_, s);
    s.effective_count = EffectiveCount(s);
    if (workspace_.smoothing.res_to_phase) {
      DerivePhaseFromResistivity(s, options, ui_);
    }
    SmoothMarkedSet(workspace_, s, options, ui_);
  }
  ui_.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  if (workspace_.depth_window_open) {
    ui_.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
  }
}

void FieldEditor::Refresh() {
  for (int k = 0; k < MaxSets; ++k) {
    if (sets_[k].in_use > 0 && sets_[k].edit_marker >= 0) continue;
    // Loaded anew or emptied: its edits no longer apply.
    std::erase_if(history_, [k](const Edit& e) { return e.set == k; });
    if (drag_point_ >= 0 && drag_.set == k) {
      drag_point_ = -1;
      drag_ = {};
    }
  }
  if (marked_ >= 0 && sets_[marked_].in_use <= 0) marked_ = -1;
  ShowMarks();
}

void FieldEditor::Close() {
  EndDrag();
  for (FieldSet& s : sets_) {
    if (s.in_use > 0) s.edit_marker = -1;
  }
  marked_ = -1;
  workspace_.edit_marker = -100;
}

}  // namespace mtvuk
