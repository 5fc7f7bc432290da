#pragma once
// A file written whole or not at all, readable by its owner only: written to
// a new temporary file beside it (created exclusively, never through a
// symbolic link), checked when closed, then renamed over the target. A full
// disk, an error or an ending before commit() leaves the target as it was and
// no temporary file behind.

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace vl {

struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class WholeFile {
 public:
  // Creates the temporary file. Throws FileError (the system's reason), also
  // when `path` names a folder.
  explicit WholeFile(std::string path);
  ~WholeFile();  // removes the temporary file unless committed
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  std::ostream& out();
  // Writes what is buffered, syncs, closes and renames. Throws FileError (the
  // system's reason); the target is then as it was.
  void commit();

 private:
  class Buffer;
  std::string path_, temporary_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> out_;
  bool committed_ = false;
};

// Removes the temporary files of the WholeFiles not yet committed: for a
// program about to end at once (Ctrl+C), from any thread.
void remove_unfinished_files();

}  // namespace vl
