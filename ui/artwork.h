#pragma once
// Pictures the program paints itself: the main window's background and the
// window icon.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

namespace vl::ui {

inline constexpr QSize kForm1ClientSize{776, 620};

// The main window's background: title strip with the program's name, red
// close dot in the top right corner, "Progress Bar" with its track, riveted
// side borders; everything else navy #000040.
QImage paint_form1_background();

// The window icon at size × size pixels (16, 32 and 48 are provided).
QImage paint_window_icon(int size);

// One rivet head of the painted metal borders, centred on `centre`.
void paint_rivet(QPainter& painter, QPointF centre);

// The bold "MS Sans Serif" 8.25 pt the painted captions use.
QFont caption_font();

}  // namespace vl::ui
