#pragma once
// The picture behind the rules and custom item list windows.

#include <QImage>
#include <QSize>

namespace vl::ui {

inline constexpr QSize kFilterBackgroundSize{373, 268};

// 373 x 268, 24-bit: navy with a steel frame and a rivet in each corner, in the
// main window's style.
QImage paint_filter_background();

}  // namespace vl::ui
