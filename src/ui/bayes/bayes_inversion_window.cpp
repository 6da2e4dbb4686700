#include "ui/bayes/bayes_inversion_window.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "core/bayes/rj_sampler.h"
#include "core/inversion/smooth_setting.h"
#include "core/store/smooth_profile.h"
#include "ui/app/form_fields.h"
#include "ui/graph/curve_graph.h"
#include "ui/inversion/fit_plots.h"

namespace mtvuk {
namespace {

// A whole number typed into a field, within [low, high].
bool WholeNumber(double value, double low, double high) {
  return value >= low && value <= high && value == std::floor(value);
}

QString Percent(double share) {
  return QString("%1 %").arg(100.0 * share, 5, 'f', 1);
}

}  // namespace

BayesInversionWindow::BayesInversionWindow(Stores& stores,
                                           BayesRuns& runs,
                                           QtUi& ui,
                                           QWidget* parent)
    : QWidget(parent, Qt::Tool), stores_(stores), runs_(runs), ui_(ui) {
  setObjectName("bayes_inversion");
  setWindowTitle("Bayesian inversion");
  const BayesOptions defaults;

  auto* controls = new QHBoxLayout;
  set_box_ = new QComboBox(this);
  set_box_->setMinimumContentsLength(14);
  auto* set_label = new QLabel("Field &set", this);
  set_label->setBuddy(set_box_);
  controls->addWidget(set_label);
  controls->addWidget(set_box_);
  controls->addSpacing(10);
  auto field = [&](const QString& label, double value, const QString& tip) {
    auto* edit = new QLineEdit(FieldNumber(value), this);
    edit->setMaximumWidth(70);
    edit->setToolTip(tip);
    auto* text = new QLabel(label, this);
    text->setBuddy(edit);
    controls->addWidget(text);
    controls->addWidget(edit);
    return edit;
  };
  layers_ = field("Max &layers",
                  defaults.max_layers,
                  "Largest number of layers with the half-space (1 to 16)");
  iterations_ = field("&Iterations",
                      defaults.iterations,
                      "Iterations of each chain, the burn-in included");
  burn_in_ = field("&Burn-in",
                   defaults.BurnIn(),
                   "Iterations of each chain left out of the posterior");
  thin_ = field("T&hinning",
                defaults.thin,
                "Every n-th iteration after the burn-in is kept");
  seed_ = field("S&eed",
                static_cast<double>(defaults.seed),
                "The same seed gives the same result on any number of "
                "processors");
  floor_ = field("Error &floor, %",
                 defaults.error_floor_percent,
                 "Standard errors of |Z| are at least this share of |Z|");
  controls->addSpacing(10);
  run_ = new QPushButton("&Run", this);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setToolTip("Stops a run (as the Esc key does); closes the window");
  // The input gate lets a click on this button through while a run holds
  // back all other input, as an Esc key.
  cancel_->setProperty("escape_button", true);
  controls->addWidget(run_);
  controls->addWidget(cancel_);
  controls->addStretch(1);
  connect(run_, &QPushButton::clicked, this, [this] { Run(); });
  connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
  connect(set_box_, &QComboBox::activated, this, [this](int) {
    set_ = set_box_->currentData().toInt();
    Draw();
  });

  plot_ = new BayesPlot(this);

  text_ = FiguresLabel(this);
  text_->setFixedWidth(270);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 1000);
  progress_->setTextVisible(true);
  progress_->setFormat("%p %");
  status_ = new QLabel(this);
  warning_ = new QLabel(this);
  warning_->setStyleSheet("color: #b00000; font-weight: bold");
  warning_->setWordWrap(true);
  auto* middle = new QHBoxLayout;
  middle->addWidget(plot_, 1);
  middle->addWidget(text_);
  auto* footer = new QHBoxLayout;
  footer->addWidget(status_, 1);
  footer->addWidget(progress_);
  auto* box = new QVBoxLayout(this);
  box->addLayout(controls);
  box->addLayout(middle, 1);
  box->addWidget(warning_);
  box->addLayout(footer);
  resize(1300, 820);
  RefreshSets();
}

void BayesInversionWindow::RefreshSets() {
  const std::vector<int> in_use =
      SmoothInversionSetting::SetsInUse(stores_.sets);
  if (std::find(in_use.begin(), in_use.end(), set_) == in_use.end())
    set_ = in_use.empty() ? -1 : in_use.front();
  set_box_->clear();
  for (int k : in_use) {
    set_box_->addItem(QString("%1: %2").arg(k + 1).arg(
                          QString::fromStdString(stores_.sets[k].label)),
                      k);
    if (k == set_) set_box_->setCurrentIndex(set_box_->count() - 1);
  }
  run_->setEnabled(!in_use.empty());
  status_->setText(in_use.empty()
                       ? "Load field data first (File > Input MT-Field data)."
                       : "Run samples the chosen set; Cancel or Esc stops a "
                         "run.");
  Draw();
}

bool BayesInversionWindow::ReadOptions(BayesOptions& o) {
  double layers, iterations, burn_in, thin, seed, floor;
  if (!ReadField(layers_, layers, ui_) ||
      !ReadField(iterations_, iterations, ui_) ||
      !ReadField(burn_in_, burn_in, ui_) || !ReadField(thin_, thin, ui_) ||
      !ReadField(seed_, seed, ui_) || !ReadField(floor_, floor, ui_)) {
    return false;
  }
  if (!WholeNumber(layers, 1, MaxLayers)) {
    RefuseField(layers_,
                "The largest number of layers must be a whole "
                "number from 1 to 16.",
                ui_);
    return false;
  }
  if (!WholeNumber(iterations, 10, 1e8)) {
    RefuseField(iterations_,
                "Iterations must be a whole number from 10 to "
                "100000000.",
                ui_);
    return false;
  }
  if (!WholeNumber(burn_in, 0, iterations - 1)) {
    RefuseField(burn_in_,
                "The burn-in must be a whole number below the "
                "iterations.",
                ui_);
    return false;
  }
  if (!WholeNumber(thin, 1, iterations - burn_in)) {
    RefuseField(thin_,
                "Thinning must be a whole number from 1 to the "
                "iterations after the burn-in.",
                ui_);
    return false;
  }
  if (!WholeNumber(seed, 0, 9007199254740992.0)) {
    RefuseField(seed_, "The seed must be a whole number, 0 or more.", ui_);
    return false;
  }
  if (!(floor > 0.0 && floor < 100.0)) {
    RefuseField(floor_, "The error floor must lie between 0 and 100 %.", ui_);
    return false;
  }
  o.max_layers = static_cast<int>(layers);
  o.iterations = static_cast<int>(iterations);
  o.burn_in = static_cast<int>(burn_in);
  o.thin = static_cast<int>(thin);
  o.seed = static_cast<std::uint64_t>(seed);
  o.error_floor_percent = floor;
  const std::string problem = o.Problem();
  if (!problem.empty()) {
    RefuseField(iterations_, problem, ui_);
    return false;
  }
  return true;
}

bool BayesInversionWindow::Run() {
  RefreshSets();
  if (set_ < 0) return false;
  BayesOptions o;
  if (!ReadOptions(o)) return false;
  BayesData points;
  std::string error;
  if (!BayesDataFromSet(
          stores_.sets[set_], o.error_floor_percent, points, error)) {
    status_->setText(QString("Set %1 cannot be sampled: %2.")
                         .arg(set_ + 1)
                         .arg(QString::fromStdString(error)));
    return false;
  }
  BayesRun run;
  run.options = o;
  run.data_key = DataKey(stores_.sets[set_]);
  status_->setText("Sampling... (Cancel or Esc stops)");
  warning_->clear();
  progress_->setValue(0);
  run_->setEnabled(false);
  QElapsedTimer clock;
  clock.start();
  std::atomic<double> done{0.0};
  std::atomic<bool> stop{false}, finished{false};
  // The sampler runs on threads of its own; this thread keeps the window
  // painted and watches for Esc meanwhile.
  std::thread worker([&] {
    run.result = RunBayesSampler(points, o, [&](double share) {
      done = share;
      return !stop.load();
    });
    finished = true;
  });
  {
    BusyScope busy(ui_);
    while (!finished) {
      if (ui_.EscapePending()) stop = true;
      progress_->setValue(static_cast<int>(1000.0 * done));
      QThread::msleep(10);
    }
  }
  worker.join();
  run.seconds = clock.elapsed() / 1000.0;
  run_->setEnabled(true);
  progress_->setValue(run.result.cancelled ? progress_->value() : 1000);
  const int k = set_;
  last_ = std::move(run);
  last_set_ = k;
  if (last_.result.cancelled) {
    status_->setText(QString("Stopped after %1 % of the iterations; "
                             "nothing kept.")
                         .arg(progress_->value() / 10.0, 0, 'f', 1));
  } else {
    runs_[k] = last_;
    status_->setText(QString("Done in %1 s.").arg(last_.seconds, 0, 'f', 2));
  }
  Draw();
  if (finished_) finished_(k);
  return true;
}

void BayesInversionWindow::Draw() {
  const int k = set_;
  const BayesRun* run =
      k >= 0 && k == last_set_ && last_.data_key == DataKey(stores_.sets[k])
          ? &last_
          : CurrentBayesRun(runs_, stores_.sets, k);
  warning_->clear();
  if (k < 0 || run == nullptr || run->result.samples <= 0) {
    text_->setText(k < 0
                       ? QString()
                       : QString("%1 (set %2)\n\nNo posterior of these "
                                 "data yet:\nRun samples one.")
                             .arg(QString::fromStdString(stores_.sets[k].label))
                             .arg(k + 1));
    if (run != nullptr && run->result.cancelled)
      warning_->setText("Stopped before any sample was kept.");
    plot_->Clear();
    return;
  }
  const BayesResult& r = run->result;
  const BayesOptions& o = run->options;
  plot_->Show(r, o);
  const double n = std::max(1, r.data_count);

  QString t = QString("%1 (set %2)\n%3 points, %4 data\n\n")
                  .arg(QString::fromStdString(stores_.sets[k].label))
                  .arg(k + 1)
                  .arg(r.data_count / 2)
                  .arg(r.data_count);
  t += QString(
           "Prior\n layers     1 to %1\n rho        %2 to %3 Ohm-m\n"
           " interfaces %4 to %5 km\n error floor %6 % of |Z|\n\n")
           .arg(o.max_layers)
           .arg(std::pow(10.0, o.log_rho_min), 0, 'g', 3)
           .arg(std::pow(10.0, o.log_rho_max), 0, 'g', 3)
           .arg(r.min_depth_km, 0, 'g', 3)
           .arg(r.max_depth_km, 0, 'g', 3)
           .arg(o.error_floor_percent, 0, 'g', 3);
  t += QString(
           "Run\n chains     %1 + %2 tempered\n iterations %3 each\n"
           " burn-in    %4\n thinning   %5\n seed       %6\n"
           " samples    %7\n models     %8\n time       %9 s\n\n")
           .arg(o.chains)
           .arg(o.hot_chains)
           .arg(o.iterations)
           .arg(o.BurnIn())
           .arg(o.thin)
           .arg(static_cast<qulonglong>(o.seed))
           .arg(r.samples)
           .arg(r.evaluations)
           .arg(run->seconds, 0, 'f', 2);
  t += QString("Layers\n most probable %1 (%2)\n\n")
           .arg(r.layer_mode)
           .arg(Percent(r.layer_mode >= 1 &&
                                r.layer_mode <=
                                    static_cast<int>(r.layer_histogram.size())
                            ? r.layer_histogram[r.layer_mode - 1]
                            : 0.0)
                    .trimmed());
  t += "Acceptance\n";
  for (int m = 0; m < kBayesMoves; ++m) {
    if (r.moves[m].proposed == 0) continue;
    t += QString(" %1 %2\n")
             .arg(BayesMoveName(static_cast<BayesMove>(m)), -10)
             .arg(Percent(r.moves[m].Rate()));
  }
  if (r.swaps.proposed > 0)
    t += QString(" %1 %2\n").arg("exchange", -10).arg(Percent(r.swaps.Rate()));
  t += QString("\nSplit R-hat\n misfit     %1\n layers     %2\n")
           .arg(r.rhat_misfit, 0, 'f', 3)
           .arg(r.rhat_layers, 0, 'f', 3);
  t += QString("\nBest sample\n chi^2/N    %1, %2 layers\n")
           .arg(r.best.chi2 / n, 0, 'g', 4)
           .arg(r.best.log_rho.size());
  text_->setText(t);
  QString warning;
  if (r.cancelled)
    warning =
        "Stopped early: the posterior holds only the samples kept so "
        "far and is not stored. ";
  if (!r.warning.empty())
    warning += "Warning: " + QString::fromStdString(r.warning);
  warning_->setText(warning);
}

}  // namespace mtvuk
