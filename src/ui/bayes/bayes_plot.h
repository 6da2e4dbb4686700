// The plots of a posterior, in one picture: the density of log10
// resistivity against depth with the median and the 5 and 95 % percentiles
// and the sample of least misfit, the probability of an interface against
// depth, the histogram of the number of layers and the misfit of each
// chain against the iteration. The "Bayesian inversion" window shows it;
// "mtvuk-cli bayes --png" saves it.
#pragma once

#include <qcustomplot.h>

#include <QString>

#include "core/bayes/bayes_options.h"
#include "core/bayes/posterior.h"

namespace mtvuk {

class BayesPlot : public QCustomPlot {
  Q_OBJECT

 public:
  explicit BayesPlot(QWidget* parent = nullptr);

  // Draws the run (nothing when it kept no samples).
  void Show(const BayesResult& result, const BayesOptions& options);
  void Clear();
  // A line above the panels (the sounding of a saved picture); empty for
  // none.
  void SetTitle(const QString& title);
  // Writes a PNG of `size` pixels through a temporary file renamed into
  // place, so that a failed picture leaves nothing behind. False with the
  // reason in `error`.
  bool SavePng(const QString& path, QSize size, QString* error);

  QCPAxisRect* density_rect() const { return density_rect_; }

 private:
  QCPAxisRect* density_rect_ = nullptr;
  QCPAxisRect* interface_rect_ = nullptr;
  QCPAxisRect* layers_rect_ = nullptr;
  QCPAxisRect* misfit_rect_ = nullptr;
  QCPColorScale* scale_ = nullptr;
  QCPTextElement* title_ = nullptr;
};

}  // namespace mtvuk
