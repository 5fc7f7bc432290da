#include "ui/preview_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vl::ui {
namespace {

const QColor kBefore(0x90, 0x90, 0x90);
const QColor kAfter(0x20, 0x40, 0xc0);

// The mean of `figure` over the NPCs that fall into each of `columns` columns.
template <typename Figure>
std::vector<double> column_means(const std::vector<std::pair<double, double>>& chances, int columns,
                                 Figure figure) {
  std::vector<double> sums(static_cast<std::size_t>(columns)), counts(sums.size());
  const double per_column = static_cast<double>(chances.size()) / columns;
  for (std::size_t i = 0; i < chances.size(); ++i) {
    const auto column = std::min<std::size_t>(
        static_cast<std::size_t>(static_cast<double>(i) / per_column), sums.size() - 1);
    sums[column] += figure(chances[i]);
    counts[column] += 1;
  }
  for (std::size_t c = 0; c < sums.size(); ++c)
    sums[c] = counts[c] > 0 ? sums[c] / counts[c] : -1;  // -1: no NPC falls here
  return sums;
}

QPainterPath line_of(const std::vector<double>& means, const QRectF& area) {
  QPainterPath path;
  const double step = means.size() > 1 ? area.width() / double(means.size() - 1) : 0;
  bool started = false;
  for (std::size_t c = 0; c < means.size(); ++c) {
    if (means[c] < 0) continue;
    const QPointF at(area.left() + step * double(c), area.bottom() - means[c] * area.height());
    started ? path.lineTo(at) : path.moveTo(at);
    started = true;
  }
  return path;
}

}  // namespace

void PreviewChart::set_chances(std::vector<std::pair<double, double>> chances) {
  chances_ = std::move(chances);
  update();
}

void PreviewChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  const QRectF area(metrics.horizontalAdvance(QStringLiteral("100 %")) + 8, line + 6,
                    width() - metrics.horizontalAdvance(QStringLiteral("100 %")) - 16,
                    height() - 2 * line - 14);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(4, line), QStringLiteral("Chance of anything per kill"));
  painter.setPen(Qt::lightGray);
  for (int percent : {0, 50, 100}) {
    const double y = area.bottom() - percent / 100.0 * area.height();
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.drawText(QPointF(2, y + line / 3.0), QString::number(percent) + QStringLiteral(" %"));
  }
  painter.setPen(kBefore);
  painter.drawText(QPointF(area.left(), height() - 4), QStringLiteral("before"));
  painter.setPen(kAfter);
  painter.drawText(QPointF(area.left() + 60, height() - 4), QStringLiteral("after"));
  painter.setPen(Qt::black);
  painter.drawText(QPointF(area.left() + 110, height() - 4),
                   QString::number(chances_.size()) + QStringLiteral(" chosen NPCs"));
  if (chances_.empty()) return;
  const int columns =
      std::max(1, std::min(static_cast<int>(chances_.size()), static_cast<int>(area.width())));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kBefore, 1.5));
  painter.drawPath(line_of(column_means(chances_, columns, [](auto& c) { return c.first; }), area));
  painter.setPen(QPen(kAfter, 1.5));
  painter.drawPath(
      line_of(column_means(chances_, columns, [](auto& c) { return c.second; }), area));
}

}  // namespace vl::ui
