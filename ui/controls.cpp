#include "ui/controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace vl::ui {

WrappingButton::WrappingButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

void WrappingButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);

  const QRect area =
      style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 0, -1, 0);
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
  painter.setPen(palette().color(group, QPalette::ButtonText));
  painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

SpacedHeading::SpacedHeading(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

void SpacedHeading::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::WindowText));
  const QString caption = text();
  int x = contentsRect().left();
  for (qsizetype i = 0; i < caption.size();) {
    if (caption[i] == QLatin1Char(' ')) {
      x += kBlankWidth;
      ++i;
      continue;
    }
    qsizetype end = caption.indexOf(QLatin1Char(' '), i);
    if (end < 0) end = caption.size();
    const QRect slot(x, contentsRect().top(), kWordSlot, contentsRect().height());
    painter.drawText(slot, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                     caption.mid(i, end - i));
    x += kWordSlot;
    i = end;
  }
}

LineControl::LineControl(QColor colour, int width_px, QWidget* parent)
    : QWidget(parent), colour_(colour), width_px_(width_px) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
}

QRect LineControl::pixel_bounds() const {
  const double left = std::min(x1_, x2_) / kTwipsPerPixel;
  const double right = std::max(x1_, x2_) / kTwipsPerPixel;
  const double middle = y_ / kTwipsPerPixel;
  const int half = width_px_ / 2 + 2;
  return QRect(QPoint(static_cast<int>(std::floor(left)) - half, static_cast<int>(middle) - half),
               QPoint(static_cast<int>(std::ceil(right)) + half, static_cast<int>(middle) + half));
}

void LineControl::set_line(double x1, double x2, double y) {
  const QRect before = pixel_bounds();
  x1_ = x1;
  x2_ = x2;
  y_ = y;
  const QRect touched = before.united(pixel_bounds());
  pending_ = pending_.united(touched);
  update(touched);
}

void LineControl::repaint_pending() {
  if (pending_.isEmpty()) return;
  const QRect area = pending_;
  pending_ = QRect();
  repaint(area);
}

void LineControl::paintEvent(QPaintEvent*) {
  pending_ = QRect();
  if (x1_ == x2_) return;  // a line of no length shows nothing
  QPainter painter(this);
  // The line's pixel row is the row its twips fall in; its ends keep their
  // fractions so that a growing line grows smoothly.
  const double row = std::floor(y_ / kTwipsPerPixel) + 0.5;
  const double band = width_px_ / 2.0;
  const double left = std::min(x1_, x2_) / kTwipsPerPixel;
  const double right = std::max(x1_, x2_) / kTwipsPerPixel;
  painter.fillRect(QRectF(QPointF(left, row - band), QPointF(right, row + band)), colour_);
}

OutlineShape::OutlineShape(QColor colour, QWidget* parent) : QWidget(parent), colour_(colour) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
}

void OutlineShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(colour_, 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

HotSpot::HotSpot(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_NoMousePropagation);
}

void HotSpot::mousePressEvent(QMouseEvent* event) { pressed_ = event->button() == Qt::LeftButton; }

void HotSpot::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
  pressed_ = false;
  if (click) emit clicked();
}

}  // namespace vl::ui
