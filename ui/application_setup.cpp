#include "ui/application_setup.h"

#include <QApplication>
#include <QPixmap>

#include "ui/artwork.h"

namespace vl::ui {

void prepare_application() {
  QCoreApplication::setApplicationName(QStringLiteral("vandril_loot"));
  // The narrow system fonts of the window map onto condensed faces so that
  // captions fit the control sizes; Verdana keeps its wide metrics.
  const QStringList condensed = {QStringLiteral("DejaVu Sans Condensed"),
                                 QStringLiteral("Liberation Sans Narrow"),
                                 QStringLiteral("DejaVu Sans")};
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), condensed);
  QFont::insertSubstitutions(QStringLiteral("Tahoma"), condensed);
  QFont::insertSubstitutions(QStringLiteral("Verdana"),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  QApplication::setWindowIcon(window_icon());
}

QIcon window_icon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(paint_window_icon(size)));
  return icon;
}

QFont window_font(const QString& family, double points, bool bold) {
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace vl::ui
