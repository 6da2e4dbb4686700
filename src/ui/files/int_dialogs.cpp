#include "ui/files/int_dialogs.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QStringList>
#include <QVBoxLayout>

#include "ui/graph/curve_graph.h"

namespace mtvuk {

// ------------------------------------------------------- SaveModelDataDialog

SaveModelDataDialog::SaveModelDataDialog(Stores& stores,
                                         QtUi& ui,
                                         QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      choice_(SaveModelChoice::Load(stores.models)) {
  setObjectName("save_model_data_dialog");
  setWindowTitle("SAVE RESULT OF INVERSION");
  auto* grid = new QGridLayout;
  const char* const kHeads[4] = {"Name", "LAT", "LONG", "ELEV(m)"};
  for (int c = 0; c < 4; ++c)
    grid->addWidget(new QLabel(kHeads[c], this), 0, c + 1);
  boxes_ = new ModelSquares(stores_.workspace, choice_.marked, this);
  boxes_->setMinimumHeight(MaxModels * 28);
  connect(boxes_, &ModelSquares::Clicked, this, [this](int i) {
    choice_.Toggle(i);
  });
  grid->addWidget(boxes_, 1, 0, MaxModels, 1);
  for (int i = 0; i < MaxModels; ++i) {
    const std::string* texts[4] = {
        &choice_.names[i], &choice_.lat[i], &choice_.lon[i], &choice_.elev[i]};
    for (int c = 0; c < 4; ++c) {
      auto* e = new QLineEdit(QString::fromStdString(*texts[c]), this);
      e->setMinimumWidth(c == 0 ? 150 : 90);
      e->setEnabled(choice_.active[i] != 0);
      fields_[i][c] = e;
      grid->addWidget(e, i + 1, c + 1);
    }
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("&Save", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(
      buttons, &QDialogButtonBox::accepted, this, &SaveModelDataDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
}

void SaveModelDataDialog::accept() {
  for (int i = 0; i < MaxModels; ++i) {
    choice_.names[i] = fields_[i][0]->text().toStdString();
    choice_.lat[i] = fields_[i][1]->text().toStdString();
    choice_.lon[i] = fields_[i][2]->text().toStdString();
    choice_.elev[i] = fields_[i][3]->text().toStdString();
  }
  if (choice_.Apply(stores_.models, ui_)) QDialog::accept();
}

// ------------------------------------------------------------ CModelLoadDlg

CModelLoadDlg::CModelLoadDlg(Stores& stores,
                             QtUi& ui,
                             const std::string& path,
                             QWidget* parent)
    : QDialog(parent), stores_(stores), ui_(ui) {
  setObjectName("model_load_dialog");
  setWindowTitle("Loading  model Res(H)");
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  list_ = new QListWidget(this);
  list_->setFont(fixed);
  list_->setMinimumWidth(260);
  LoadIntFile(path, ui_, sets_, positions_);
  for (const IntSet& s : sets_) list_->addItem(QString::fromStdString(s.name));
  connect(
      list_, &QListWidget::currentRowChanged, this, &CModelLoadDlg::ShowDetail);
  boxes_ = new ModelSquares(stores_.workspace, chosen_, this);
  boxes_->setMinimumHeight(MaxModels * 24);
  boxes_->setToolTip("The model that takes the set");
  connect(boxes_, &ModelSquares::Clicked, this, [this](int i) {
    chosen_.fill(0);
    chosen_[i] = 1;
  });
  auto* detail = new QVBoxLayout;
  auto* detail_head = new QLabel("          Ohm-m        km", this);
  detail_head->setFont(fixed);
  detail->addWidget(detail_head);
  for (int i = 0; i < MaxLayers; ++i) {
    detail_[i] = new QLabel(this);
    detail_[i]->setFont(fixed);
    detail->addWidget(detail_[i]);
  }
  auto* left = new QVBoxLayout;
  auto* list_head = new QLabel("           name    ", this);
  list_head->setFont(fixed);
  left->addWidget(list_head);
  left->addWidget(list_, 1);
  install_ = new QPushButton("&Install", this);
  connect(install_, &QPushButton::clicked, this, &CModelLoadDlg::Install);
  auto* close = new QPushButton("&Close", this);
  connect(close, &QPushButton::clicked, this, &CModelLoadDlg::CloseDialog);
  list_->setEnabled(accepted_file());
  install_->setEnabled(accepted_file());
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addWidget(boxes_);
  top->addLayout(detail);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(install_);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(bottom);
}

int CModelLoadDlg::chosen_model() const {
  for (int i = 0; i < MaxModels; ++i) {
    if (chosen_[i]) return i;
  }
  return 0;
}

void CModelLoadDlg::ShowDetail(int row) {
  for (QLabel* l : detail_) l->clear();
  if (row < 0 || row >= static_cast<int>(sets_.size())) return;
  const auto lines = DetailLines(sets_[row]);
  for (int i = 0; i < MaxLayers; ++i)
    detail_[i]->setText(QString::fromStdString(lines[i]));
}

void CModelLoadDlg::Install() {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(sets_.size())) {
    ui_.Show("Select set and attach it to model",
             "NOTHING SELECTED",
             Icon::kExclamation);
    return;
  }
  const int model = chosen_model();
  InstallIntSet(sets_[row], stores_.models[model]);
  stores_.workspace.current_model = static_cast<std::int16_t>(model);
  if (stores_.workspace.model_form_open)
    ui_.Post(Window::kModelForm, Um::UM_MODELSYNC, model, model);
}

void CModelLoadDlg::CloseDialog() {
  sets_.clear();
  positions_.clear();
  if (!stores_.workspace.model_form_open)
    ui_.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  accept();
}

// ----------------------------------------------------------- CFileContentDlg

CFileContentDlg::CFileContentDlg(Workspace& workspace,
                                 QtUi& ui,
                                 const std::string& path,
                                 std::vector<SectionStation>& stations,
                                 QWidget* parent)
    : QDialog(parent), stations_(stations) {
  setObjectName("file_content_dialog");
  setWindowTitle("Content int-File");
  setModal(false);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QString("File: %1").arg(QString::fromStdString(path)), this));
  auto* head = new QLabel(kStationListHeader, this);
  head->setFont(fixed);
  layout->addWidget(head);
  list_ = new QListWidget(this);
  list_->setFont(fixed);
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  list_->setMinimumWidth(520);
  layout->addWidget(list_, 1);
  ResultFileKind kind = ResultFileKind::kNone;
  std::vector<RefusedBlock> refused;
  const bool read = ReadStationFile(path, ui, stations_, kind, &refused);
  if (!refused.empty()) {
    QStringList lines;
    for (const RefusedBlock& r : refused) lines << QString::number(r.line);
    reading_note_ = QString(
                        "%1 of %2 blocks read; left out: the blocks at "
                        "line %3 of %4")
                        .arg(stations_.size())
                        .arg(stations_.size() + refused.size())
                        .arg(lines.join(", "))
                        .arg(QString::fromStdString(path));
  }
  if (read) {
    workspace.station_file_kind = kind == ResultFileKind::kTrf ? 1 : 0;
    const std::vector<bool> dup = DuplicateStations(stations_);
    for (std::size_t i = 0; i < stations_.size(); ++i) {
      list_->addItem(QString::fromStdString(StationLine(stations_[i], dup[i])));
    }
  }
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    for (int i = 0; i < list_->count(); ++i) {
      stations_[i].selected = list_->item(i)->isSelected() ? 1 : 0;
    }
  });
  auto* buttons = new QHBoxLayout;
  auto* all = new QPushButton("Select &All", this);
  connect(all, &QPushButton::clicked, list_, &QListWidget::selectAll);
  auto* none = new QPushButton("&Unselect", this);
  connect(none, &QPushButton::clicked, list_, &QListWidget::clearSelection);
  map_ = new QCheckBox("&Map", this);
  delete_z_ = new QCheckBox("&Delete Z", this);
  delete_z_->setToolTip("Draw the section without the stations' elevations");
  buttons->addWidget(all);
  buttons->addWidget(none);
  buttons->addStretch(1);
  buttons->addWidget(map_);
  buttons->addWidget(delete_z_);
  layout->addLayout(buttons);
}

}  // namespace mtvuk
