#include "ui/preview_model.h"

#include "app/aim_text.h"
#include "app/plan_report.h"
#include "core/numeric_text.h"

namespace vl::ui {
namespace {

QString percent(double fraction) { return QString::number(100 * fraction, 'f', 2) + " %"; }

}  // namespace

void PreviewModel::show_preview(std::shared_ptr<const app::Preview> preview) {
  beginResetModel();
  preview_ = std::move(preview);
  shared_.clear();
  if (preview_)
    for (const loot::SharedLoottable& table : preview_->details.shared)
      shared_.insert(table.loottable_id);
  endResetModel();
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !preview_ ? 0 : static_cast<int>(preview_->plan.drops.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeadings[kColumns] = {"NPC",
                                                  "Name",
                                                  "Level",
                                                  "Loottable",
                                                  "Lootdrop",
                                                  "Items",
                                                  "Probability",
                                                  "Chance",
                                                  "Aim reached",
                                                  "New drop per kill",
                                                  "Anything per kill, before → after",
                                                  "Items per hour"};
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section >= 0 && section < kColumns ? QString::fromUtf8(kHeadings[section]) : QVariant();
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
  if (!preview_ || !index.isValid() || index.row() >= rowCount()) return {};
  const loot::PlannedDrop& drop = preview_->plan.drops[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) return cell(drop, index.column());
  if (role == Qt::TextAlignmentRole && index.column() != name && index.column() != items)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole && index.column() == loottable && shared_.contains(drop.loottable_id))
    return QStringLiteral(
        "NPCs outside the range use this loottable too: they get the drop as well.");
  // The column is narrower than a long list: the whole list, one item a line.
  if (role == Qt::ToolTipRole && index.column() == items)
    return items_of(drop).join(QLatin1Char('\n'));
  return {};
}

QStringList PreviewModel::items_of(const loot::PlannedDrop& drop) const {
  QStringList listed;
  for (const std::int32_t item : drop.item_ids) {
    const auto found = preview_->details.items.find(item);
    listed << QString::number(item) + " " +
                  (found == preview_->details.items.end() ? QStringLiteral("(does not exist)")
                                                          : QString::fromStdString(found->second));
  }
  return listed;
}

QString PreviewModel::cell(const loot::PlannedDrop& drop, int column) const {
  const app::Preview& preview = *preview_;
  const auto facts = preview.details.npcs.find(drop.npc_id);
  const loot::DropRateChange& change = app::change_of(preview.rates, drop.npc_id);
  switch (column) {
    case npc:
      return QString::number(drop.npc_id);
    case name:
      return facts == preview.details.npcs.end() ? QString()
                                                 : QString::fromStdString(facts->second.name);
    case level:
      return facts == preview.details.npcs.end() ? QString() : QString::number(facts->second.level);
    case loottable:
      if (drop.loottable_copied_from != 0)
        return QString::number(drop.loottable_copied_from) +
               QString::fromUtf8(" (shared) → copy ") + QString::number(drop.loottable_id);
      return QString::number(drop.loottable_id) +
             (shared_.contains(drop.loottable_id) ? QStringLiteral(" (shared)") : QString());
    case lootdrop:
      return QString::number(drop.lootdrop_id);
    case items:
      return items_of(drop).join(QStringLiteral("; "));
    case probability:
      return QString::fromStdString(number_text(drop.probability));
    case chance:
      return QString::fromStdString(number_text(drop.chance));
    case achieved:  // what the aim measures: the new drop's rate, or the NPC's after it
      return drop.aimed ? percent(drop.aimed->achieved) : QString();
    case new_drop:
      return percent(change.p_new_drop);
    case anything:
      return percent(change.p_any_before) + QString::fromUtf8(" → ") + percent(change.p_any_after);
    case items_per_hour:  // empty where the world lacks the spawn tables
      return change.items_per_hour_new
                 ? QString::fromStdString(app::items_per_hour_text(*change.items_per_hour_new))
                 : QString();
    default:
      return {};
  }
}

}  // namespace vl::ui
