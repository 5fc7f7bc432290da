#pragma once
// What the end-to-end test is given on its command line.

#include <string>

namespace vl::e2e {

struct E2eSettings {
  std::string program;         // the vandril_loot binary
  std::string world_gen;       // the sample-world generator
  std::string schema;          // world/schema.sql
  std::string test_db_script;  // scripts/test-db, for loading SQL as root
  std::string artifacts;       // folder for work folders, logs and screenshots
};

void set_settings(const E2eSettings& settings);
const E2eSettings& settings();

}  // namespace vl::e2e
