#pragma once
// Small controls the main window needs beyond Qt's stock widgets.

#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QWidget>

namespace vl::ui {

// A rectangle given in twips (15 twips = 1 pixel), as the secondary windows
// are laid out.
constexpr QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

// A push button whose caption wraps onto several lines when it is wider than
// the button, as the long "Delete ALL ..." caption needs.
class WrappingButton : public QPushButton {
  Q_OBJECT
 public:
  WrappingButton(const QString& caption, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A one-line heading that places its words with runs of blanks, as laid out
// for the window's original font: 4 pixels per blank and a 32-pixel slot per
// word, the word centred in its slot. A stand-in font with other widths then
// still keeps each word over the column it heads.
class SpacedHeading : public QLabel {
  Q_OBJECT
 public:
  SpacedHeading(const QString& caption, QWidget* parent);

  static constexpr int kBlankWidth = 4;
  static constexpr int kWordSlot = 32;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A straight line given in twips (15 twips = 1 pixel), drawn over the window's
// background. It spans its parent and lets the mouse through.
class LineControl : public QWidget {
  Q_OBJECT
 public:
  LineControl(QColor colour, int width_px, QWidget* parent);

  // Moves the line; fractional twips are kept and drawn to sub-pixel precision.
  void set_line(double x1, double x2, double y);
  double x1() const { return x1_; }
  double x2() const { return x2_; }
  double y() const { return y_; }

  // Paints the area the latest moves changed, at once.
  void repaint_pending();

  static constexpr double kTwipsPerPixel = 15.0;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect pixel_bounds() const;

  QColor colour_;
  int width_px_;
  double x1_ = 0, x2_ = 0, y_ = 0;
  QRect pending_;
};

// A rectangle outline drawn on the background; the mouse passes through it.
class OutlineShape : public QWidget {
  Q_OBJECT
 public:
  OutlineShape(QColor colour, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_;
};

// An invisible area that reports clicks (press and release inside it).
class HotSpot : public QWidget {
  Q_OBJECT
 public:
  explicit HotSpot(QWidget* parent);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

}  // namespace vl::ui
