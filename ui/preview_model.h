#pragma once
// The Preview's table of planned drops, one row per chosen NPC, each cell
// made when the view asks for it, so that tens of thousands of rows show at once.

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <unordered_set>

#include "app/window/preview_run.h"

namespace vl::ui {

class PreviewModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    npc,
    name,
    level,
    loottable,
    lootdrop,
    items,
    probability,
    chance,
    achieved,
    new_drop,
    anything,
    items_per_hour,
    kColumns
  };

  explicit PreviewModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Shows `preview` (nullptr: nothing); the model keeps it.
  void show_preview(std::shared_ptr<const app::Preview> preview);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString cell(const loot::PlannedDrop& drop, int column) const;
  QStringList items_of(const loot::PlannedDrop& drop) const;  // "id name", in the drop's order

  std::shared_ptr<const app::Preview> preview_;
  std::unordered_set<std::int64_t> shared_;  // loottables NPCs outside the range use too
};

}  // namespace vl::ui
