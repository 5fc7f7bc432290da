// The icon files installed with the program are the icon the program paints.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include "ui/artwork.h"

namespace vl {
namespace {

TEST(WindowIcon, InstalledFilesMatchThePaintedIcon) {
  for (int size : {16, 32, 48}) {
    const QString path = QStringLiteral(VL_SOURCE_DIR "/ui/icons/vandril_loot-%1.png").arg(size);
    QImage file(path);
    ASSERT_FALSE(file.isNull()) << path.toStdString();
    const QImage painted = ui::paint_window_icon(size);
    EXPECT_EQ(file.size(), QSize(size, size));
    EXPECT_EQ(file.convertToFormat(QImage::Format_ARGB32),
              painted.convertToFormat(QImage::Format_ARGB32))
        << size;
  }
}

}  // namespace
}  // namespace vl
