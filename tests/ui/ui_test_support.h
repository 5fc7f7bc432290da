#pragma once
// Shared helpers of the window tests: a db.ini in a folder of its own and a
// loaded program state.

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/program_state.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/form1_logic.h"

namespace vl::test {

// A folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("vl_ui_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }

 private:
  static int& counter() {
    static int next = 0;
    return next;
  }
  std::filesystem::path path_;
};

// A db.ini naming the test server.
inline std::string test_db_ini() {
  const DbSettings& db = db_settings();
  return "host=" + db.host + "\nuser=" + db.user + "\npassword=" + db.password +
         "\ndatabase=" + db.name + "\n";
}

// A program state after a successful start-up.
inline std::unique_ptr<ProgramState> loaded_state(RecordingUi& ui) {
  TempFolder folder;
  folder.write("db.ini", test_db_ini());
  auto state = std::make_unique<ProgramState>();
  EXPECT_TRUE(form1::Form_Load(*state, ui, folder.file("db.ini")));
  return state;
}

}  // namespace vl::test
