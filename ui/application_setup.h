#pragma once
// Application-wide settings the windows rely on.

#include <QFont>
#include <QIcon>
#include <QString>

namespace vl::ui {

// Names the application (message box titles fall back on it), maps the
// window fonts onto installed families where they are missing, and sets the
// window icon.
void prepare_application();

// The window icon in 16, 32 and 48 pixels.
QIcon window_icon();

// A font by family, size in points and weight; missing families follow the
// substitutes installed by prepare_application().
QFont window_font(const QString& family, double points, bool bold);

}  // namespace vl::ui
