#include "ui/filter_background.h"

#include <QLinearGradient>
#include <QPainter>

#include "ui/artwork.h"

namespace vl::ui {
namespace {

const QColor kNavy(0x00, 0x00, 0x40);
constexpr int kFrameWidth = 5;

void paint_frame(QPainter& painter, const QRect& area) {
  QLinearGradient steel(0, 0, area.width(), area.height());
  steel.setColorAt(0.0, QColor(0x8c, 0x94, 0xb0));
  steel.setColorAt(0.5, QColor(0x3c, 0x44, 0x60));
  steel.setColorAt(1.0, QColor(0x8c, 0x94, 0xb0));
  QPen pen(QBrush(steel), kFrameWidth);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const qreal inset = kFrameWidth / 2.0;
  painter.drawRect(QRectF(area).adjusted(inset, inset, -inset, -inset));
}

}  // namespace

QImage paint_filter_background() {
  QImage picture(kFilterBackgroundSize, QImage::Format_RGB888);
  picture.fill(kNavy);
  QPainter painter(&picture);
  const QRect area(QPoint(0, 0), kFilterBackgroundSize);
  paint_frame(painter, area);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const qreal middle = kFrameWidth / 2.0;
  for (QPointF corner : {QPointF(middle, middle), QPointF(area.width() - middle, middle),
                         QPointF(middle, area.height() - middle),
                         QPointF(area.width() - middle, area.height() - middle)}) {
    paint_rivet(painter, corner);
  }
  return picture;
}

}  // namespace vl::ui
