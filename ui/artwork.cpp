#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace vl::ui {
namespace {

const QColor kNavy(0x00, 0x00, 0x40);
constexpr int kStripHeight = 21;
constexpr int kBorderWidth = 6;

void paint_title_strip(QPainter& painter, int width) {
  QLinearGradient steel(0, 0, 0, kStripHeight);
  steel.setColorAt(0.0, QColor(0x5a, 0x6e, 0xa8));
  steel.setColorAt(0.45, QColor(0x23, 0x32, 0x78));
  steel.setColorAt(1.0, QColor(0x0c, 0x12, 0x50));
  painter.fillRect(QRect(0, 0, width, kStripHeight), steel);
  painter.setPen(QColor(0x9c, 0xaa, 0xd8));
  painter.drawLine(0, 0, width - 1, 0);
  painter.setPen(QColor(0x00, 0x00, 0x20));
  painter.drawLine(0, kStripHeight - 1, width - 1, kStripHeight - 1);

  painter.setFont(caption_font());
  painter.setPen(QColor(0x00, 0x00, 0x20));
  painter.drawText(QRect(13, 3, 190, 17), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Vandril Like LOOT maker"));
  painter.setPen(Qt::white);
  painter.drawText(QRect(12, 2, 190, 17), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Vandril Like LOOT maker"));
}

void paint_close_dot(QPainter& painter) {
  // Centred in the quit hot spot (744, 0, 17 x 17).
  const QPointF centre(752.5, 8.5);
  QRadialGradient glow(centre - QPointF(2, 2), 8);
  glow.setColorAt(0.0, QColor(0xff, 0x9a, 0x8a));
  glow.setColorAt(0.5, QColor(0xe0, 0x10, 0x10));
  glow.setColorAt(1.0, QColor(0x80, 0x00, 0x00));
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(QColor(0x30, 0x00, 0x00), 1));
  painter.setBrush(glow);
  painter.drawEllipse(centre, 6.5, 6.5);
  painter.setRenderHint(QPainter::Antialiasing, false);
}

void paint_progress_caption(QPainter& painter) {
  painter.setFont(caption_font());
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.drawText(QRect(560, 29, 86, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Progress Bar"));

  // The track the progress line runs in: x 653..747 at y 37, 5 pixels thick.
  const QRect track(650, 32, 101, 11);
  painter.fillRect(track, QColor(0x00, 0x00, 0x18));
  painter.setPen(QColor(0x00, 0x00, 0x00));
  painter.drawLine(track.topLeft(), track.topRight());
  painter.drawLine(track.topLeft(), track.bottomLeft());
  painter.setPen(QColor(0x70, 0x78, 0xa0));
  painter.drawLine(track.bottomLeft(), track.bottomRight());
  painter.drawLine(track.topRight(), track.bottomRight());
}

void paint_riveted_border(QPainter& painter, int left, int height) {
  const QRect band(left, kStripHeight, kBorderWidth, height - kStripHeight);
  QLinearGradient metal(band.left(), 0, band.right() + 1, 0);
  metal.setColorAt(0.0, QColor(0x3c, 0x44, 0x60));
  metal.setColorAt(0.5, QColor(0x8c, 0x94, 0xb0));
  metal.setColorAt(1.0, QColor(0x2c, 0x32, 0x4c));
  painter.fillRect(band, metal);

  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int y = kStripHeight + 12; y < height - 4; y += 24) {
    paint_rivet(painter, QPointF(left + kBorderWidth / 2.0, y + 0.5));
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

void paint_rivet(QPainter& painter, QPointF centre) {
  QRadialGradient head(centre - QPointF(0.8, 0.8), 2.6);
  head.setColorAt(0.0, QColor(0xf0, 0xf0, 0xf8));
  head.setColorAt(1.0, QColor(0x40, 0x46, 0x5c));
  painter.setPen(QPen(QColor(0x18, 0x1c, 0x2c), 0.6));
  painter.setBrush(head);
  painter.drawEllipse(centre, 2.0, 2.0);
}

QFont caption_font() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  font.setBold(true);
  return font;
}

QImage paint_form1_background() {
  QImage picture(kForm1ClientSize, QImage::Format_RGB32);
  picture.fill(kNavy);
  QPainter painter(&picture);
  const int width = kForm1ClientSize.width();
  const int height = kForm1ClientSize.height();
  paint_title_strip(painter, width);
  paint_close_dot(painter);
  paint_progress_caption(painter);
  paint_riveted_border(painter, 0, height);
  paint_riveted_border(painter, width - kBorderWidth, height);
  return picture;
}

QImage paint_window_icon(int size) {
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.scale(size / 48.0, size / 48.0);

  // A navy chest with a gold lid band and lock: loot.
  QPainterPath body;
  body.addRoundedRect(QRectF(4, 18, 40, 26), 3, 3);
  painter.setPen(QPen(QColor(0x10, 0x10, 0x20), 2));
  painter.setBrush(kNavy.lighter(220));
  painter.drawPath(body);

  QPainterPath lid;
  lid.moveTo(4, 20);
  lid.cubicTo(4, 6, 44, 6, 44, 20);
  lid.closeSubpath();
  painter.setBrush(kNavy.lighter(300));
  painter.drawPath(lid);

  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xff, 0xd0, 0x20));
  painter.drawRect(QRectF(4, 19, 40, 5));
  painter.drawRect(QRectF(10, 24, 4, 19));
  painter.drawRect(QRectF(34, 24, 4, 19));
  painter.setBrush(QColor(0xff, 0xff, 0x00));
  painter.setPen(QPen(QColor(0x60, 0x40, 0x00), 1.5));
  painter.drawRoundedRect(QRectF(19.5, 20, 9, 11), 2, 2);
  return icon;
}

}  // namespace vl::ui
