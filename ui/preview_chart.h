#pragma once
// The Preview's small chart: how the chosen NPCs' chance of anything per kill
// is spread, before and after the run. Each series is the NPCs sorted by their
// chance, lowest on the left: the NPCs of the plan have nothing to do with
// their neighbours in it, so a line in the plan's order would show noise,
// while the sorted curves read as a distribution (the lowest, the median and
// the highest at a glance, the gap between the curves the run's effect) and,
// unlike a histogram, need no bins that hide a few NPCs. Painted with QPainter
// alone; many NPCs share a pixel column, which shows their mean.

#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

namespace vl::ui {

class PreviewChart : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewChart(QWidget* parent = nullptr);

  // One pair per chosen NPC: the chance before and after, 0 to 1.
  void set_chances(const std::vector<std::pair<double, double>>& chances);
  // The chance per kill the plan aimed at, 0 to 1, drawn across as a line; none: no line.
  void set_aim(std::optional<double> aim);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<double> before_, after_;  // each ascending
  std::optional<double> aim_;
};

}  // namespace vl::ui
