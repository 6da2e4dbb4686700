// Pieces of the windows that show a fit: logarithmic axes, the points of a
// field set with their error bars, and a layered model as a staircase of
// resistivity against depth.
#pragma once

#include <qcustomplot.h>

#include <QLabel>

#include <vector>

#include "core/store/field_set.h"

namespace mtvuk {

void LogAxis(QCPAxis* axis, const QString& label);
QCPGraph* PointGraph(QCPAxisRect* rect, const QColor& colour);
QCPErrorBars* Bars(QCPGraph* graph, const QColor& colour);

// Resistivity over phase against period: labels, and margins held alike
// so that their periods line up.
void SetUpCurveRects(QCustomPlot* plot,
                     QCPAxisRect* rho_rect,
                     QCPAxisRect* phase_rect);
// Resistivity against depth (km, downwards) on logarithmic axes.
void SetUpDepthRect(QCPAxisRect* rect);
// The legend in a row of its own below the panels, so that it never
// covers data.
void LegendBelow(QCustomPlot* plot, QCPAxisRect* holder, int wrap);
// The monospace label beside the plots that holds the figures of a run.
QLabel* FiguresLabel(QWidget* parent);

// The used points of a set: apparent resistivity (with its error bars) in
// one rect and phase (with its error bars) in the other, both against
// period. Returns the resistivity graph (named after the set).
QCPGraph* AddFieldData(QCPAxisRect* rho_rect,
                       QCPAxisRect* phase_rect,
                       const FieldSet& set,
                       const QColor& colour);

// The period range that holds the set's points, widened by a factor 2 at
// either end; false when the set has no period.
bool DataPeriodRange(const FieldSet& set, double& shortest, double& longest);

// Resistivity (Ohm-m) against depth (km, a logarithmic axis): the surface
// is drawn at `surface` km, the half-space down to twice its top (at
// least ten times the surface).
QCPCurve* AddStaircase(QCPAxisRect* rect,
                       const std::vector<double>& rho,
                       const std::vector<double>& thickness_km,
                       double surface);

}  // namespace mtvuk
