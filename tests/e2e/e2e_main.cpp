// The end-to-end test program: its own arguments name the program under test
// and the tools that build its world; googletest takes the rest.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstring>
#include <iostream>

#include "e2e/e2e_settings.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The D-Bus connection that reads the program's windows needs an application object.
  QCoreApplication application(argc, argv);

  vl::e2e::E2eSettings settings;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const std::string value = argv[i + 1];
    if (option == "--program") {
      settings.program = value;
    } else if (option == "--world-gen") {
      settings.world_gen = value;
    } else if (option == "--schema") {
      settings.schema = value;
    } else if (option == "--test-db") {
      settings.test_db_script = value;
    } else if (option == "--artifacts") {
      settings.artifacts = value;
    } else {
      std::cerr << "unknown option " << option << "\n";
      return 2;
    }
  }
  if (settings.program.empty() || settings.world_gen.empty() || settings.schema.empty() ||
      settings.test_db_script.empty() || settings.artifacts.empty()) {
    std::cerr << "usage: test_e2e --program P --world-gen W --schema S --test-db SCRIPT "
                 "--artifacts DIR\n";
    return 2;
  }
  vl::e2e::set_settings(settings);
  return RUN_ALL_TESTS();
}
