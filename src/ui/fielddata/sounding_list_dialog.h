// "CONTENTS OF FILE: ...": the listing of the sounding just read and the
// choice of the polarisations that go into the six field-set slots.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <array>

#include "core/fielddata/sounding_list.h"

namespace mtvuk {

// The six slots, painted with their texts; a double click asks to reuse or
// keep a slot.
class SlotBox : public QWidget {
  Q_OBJECT

 public:
  explicit SlotBox(const SoundingList& list, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QRect SlotRect(int slot) const;

 signals:
  void SlotDoubleClicked(int slot);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  const SoundingList& list_;
};

class SoundingListDialog : public QDialog {
  Q_OBJECT

 public:
  SoundingListDialog(Workspace& workspace,
                     FieldSets& sets,
                     LayerModels& models,
                     Ui& ui,
                     QWidget* parent = nullptr);

  const SoundingList& list() const { return list_; }
  QCheckBox* ModeBox(CurveMode mode) const {
    return ticks_[static_cast<int>(mode)];
  }
  SlotBox* slot_box() const { return slot_box_; }
  QListWidget* listing() const { return listing_; }

 public slots:
  void accept() override;
  void EmptyBox();

 private:
  void Tick(CurveMode mode, bool on);

  SoundingList list_;
  QListWidget* listing_ = nullptr;
  SlotBox* slot_box_ = nullptr;
  std::array<QCheckBox*, kCurveModes> ticks_{};
};

}  // namespace mtvuk
