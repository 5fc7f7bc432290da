#include "cli/question.h"

#include <cstdio>
#include <iostream>

#include "cli/interrupt.h"
#include "core/ascii_case.h"

namespace vl::cli {

bool answered_yes(const std::string& question) {
  std::fprintf(stderr, "%s [y/N] ", question.c_str());
  std::fflush(stderr);
  std::string answer;
  end_at_once_on_interrupt(true);
  const bool answered = static_cast<bool>(std::getline(std::cin, answer));
  end_at_once_on_interrupt(false);
  if (!answered) return false;
  answer = ascii_lower(answer);
  return answer == "y" || answer == "yes";
}

}  // namespace vl::cli
