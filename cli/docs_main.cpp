// vandril_cli_docs: writes the command line's man page or bash completion,
// made from its option definitions, at build time.
//
//   vandril_cli_docs man|completion FILE

#include <cstdio>
#include <fstream>
#include <string>

#include "cli/reference_pages.h"

int main(int argc, char** argv) {
  const std::string what = argc == 3 ? argv[1] : "";
  if (what != "man" && what != "completion") {
    std::fputs("usage: vandril_cli_docs man|completion FILE\n", stderr);
    return 64;
  }
  const vl::cli::CommandLine line;
  std::ofstream out(argv[2], std::ios::binary);
  out << (what == "man" ? vl::cli::man_page(line, VANDRIL_VERSION)
                        : vl::cli::bash_completion(line));
  out.close();
  if (!out) {
    std::fprintf(stderr, "vandril_cli_docs: %s could not be written\n", argv[2]);
    return 1;
  }
  return 0;
}
