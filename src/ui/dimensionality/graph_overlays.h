// What the curve graph shows of the dimensionality of its sets: the D+
// curve of each set ("1-D bound") and the periods that are not 1-D, shaded.
#pragma once

#include <qcustomplot.h>

#include <array>

#include "core/fielddata/field_editing.h"
#include "core/store/workspace.h"

namespace mtvuk {

// The D+ response of set k over its periods, as rho_a or phase; empty when
// the set has fewer than two used points.
void OneDBound(const FieldSet& set,
               Quantity quantity,
               QVector<double>& period,
               QVector<double>& value);

// Adds the 1-D bounds of the visible sets (rho_a and phase only) and shades
// the non-1-D periods, as `thresholds` ask. Returns the bound graphs.
std::array<QCPGraph*, MaxSets> AddDimensionalityOverlays(
    QCustomPlot& plot,
    const FieldSets& sets,
    const std::array<bool, MaxSets>& visible,
    Quantity quantity,
    const DimensionalityThresholds& thresholds);

// Shades the period bands of the points marked `non_1d` (periods in s).
void ShadePeriods(QCustomPlot& plot,
                  QCPAxisRect* rect,
                  const std::vector<double>& period,
                  const std::vector<bool>& non_1d);

}  // namespace mtvuk
