// The window tests need one QApplication for the whole run.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/application_setup.h"

int main(int argc, char* argv[]) {
  // Test discovery runs this program without the test environment.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  vl::ui::prepare_application();
  return RUN_ALL_TESTS();
}
