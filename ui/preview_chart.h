#pragma once
// The Preview's small chart: each chosen NPC's chance of anything per kill,
// before and after the run, across the chosen NPCs in the plan's order.
// Painted with QPainter alone; many NPCs share a pixel column, which shows
// their mean.

#include <QWidget>
#include <utility>
#include <vector>

namespace vl::ui {

class PreviewChart : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewChart(QWidget* parent = nullptr) : QWidget(parent) {}

  // One pair per chosen NPC: the chance before and after, 0 to 1.
  void set_chances(std::vector<std::pair<double, double>> chances);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::pair<double, double>> chances_;
};

}  // namespace vl::ui
