#include "ui/preview_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vl::ui {
namespace {

const QColor kBefore(0x90, 0x90, 0x90);
const QColor kAfter(0x20, 0x40, 0xc0);
const QColor kAim(0xc0, 0x60, 0x00);

// The mean of the `sorted` chances that fall into each of `columns` columns.
std::vector<double> column_means(const std::vector<double>& sorted, int columns) {
  std::vector<double> sums(static_cast<std::size_t>(columns)), counts(sums.size());
  const double per_column = static_cast<double>(sorted.size()) / columns;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const auto column = std::min<std::size_t>(
        static_cast<std::size_t>(static_cast<double>(i) / per_column), sums.size() - 1);
    sums[column] += sorted[i];
    counts[column] += 1;
  }
  for (std::size_t c = 0; c < sums.size(); ++c) sums[c] = counts[c] > 0 ? sums[c] / counts[c] : 0;
  return sums;
}

// A step per column: each NPC, or each pixel column of NPCs, holds its
// chance across its own width, so that even one NPC shows.
QPainterPath steps_of(const std::vector<double>& means, const QRectF& area) {
  QPainterPath path;
  const double step = area.width() / double(means.size());
  for (std::size_t c = 0; c < means.size(); ++c) {
    const double y = area.bottom() - means[c] * area.height();
    const QPointF from(area.left() + step * double(c), y), to(from.x() + step, y);
    c == 0 ? path.moveTo(from) : path.lineTo(from);
    path.lineTo(to);
  }
  return path;
}

}  // namespace

PreviewChart::PreviewChart(QWidget* parent) : QWidget(parent) {
  // The axis has room for a few words only; what the chance is of, in full.
  setToolTip(
      QStringLiteral("Each chosen NPC's chance of dropping anything per kill, before and "
                     "after the run; the NPCs sorted by it, lowest on the left."));
}

void PreviewChart::set_chances(const std::vector<std::pair<double, double>>& chances) {
  before_.clear();
  after_.clear();
  for (const auto& [before, after] : chances) before_.push_back(before), after_.push_back(after);
  std::sort(before_.begin(), before_.end());
  std::sort(after_.begin(), after_.end());
  update();
}

void PreviewChart::set_aim(std::optional<double> aim) {
  aim_ = aim;
  update();
}

void PreviewChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  const double left = line + metrics.horizontalAdvance(QStringLiteral("100 %")) + 8;
  const QRectF area(left, line + 8, width() - left - 10, height() - 3 * line - 12);
  painter.setPen(kBefore);
  painter.drawText(QPointF(left, line), QStringLiteral("before"));
  painter.setPen(kAfter);
  painter.drawText(QPointF(left + 60, line), QStringLiteral("after"));
  painter.setPen(Qt::black);
  painter.drawText(QPointF(left + 110, line),
                   QString::number(after_.size()) + QStringLiteral(" chosen NPCs"));
  for (int percent : {0, 50, 100}) {
    const double y = area.bottom() - percent / 100.0 * area.height();
    painter.setPen(Qt::lightGray);
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(line, y - line / 2.0, left - line - 4, line),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(percent) + QStringLiteral(" %"));
  }
  painter.drawText(QRectF(area.left(), area.bottom() + 4, area.width(), line), Qt::AlignLeft,
                   QStringLiteral("lowest"));
  painter.drawText(QRectF(area.left(), area.bottom() + 4, area.width(), line), Qt::AlignRight,
                   QStringLiteral("highest"));
  painter.drawText(QRectF(area.left(), area.bottom() + 4 + line, area.width(), line),
                   Qt::AlignHCenter, QStringLiteral("NPCs, sorted by chance per kill"));
  painter.save();
  painter.translate(2, area.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-area.height() / 2, 0, area.height(), line), Qt::AlignHCenter,
                   QStringLiteral("chance per kill"));
  painter.restore();
  if (after_.empty()) return;
  const int columns =
      std::max(1, std::min(static_cast<int>(after_.size()), static_cast<int>(area.width())));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kBefore, 1.5));
  painter.drawPath(steps_of(column_means(before_, columns), area));
  painter.setPen(QPen(kAfter, 1.5));
  painter.drawPath(steps_of(column_means(after_, columns), area));
  if (!aim_) return;
  // Dashed and over the curves: where "after" lies below it, the aim was not reached.
  const double y = area.bottom() - *aim_ * area.height();
  QPainterPath aim_line(QPointF(area.left(), y));
  aim_line.lineTo(area.right(), y);
  painter.setPen(QPen(kAim, 1.5, Qt::DashLine));
  painter.drawPath(aim_line);
  // Its words above it, or below it near the top, where the legend stands.
  const double words_top = y - line - 1 < area.top() ? y + 1 : y - line - 1;
  painter.drawText(
      QRectF(area.left(), words_top, area.width() - 2, line), Qt::AlignRight,
      QStringLiteral("aim ") + QString::number(100 * *aim_, 'g', 4) + QStringLiteral(" %"));
}

}  // namespace vl::ui
