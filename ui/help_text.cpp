#include "ui/help_text.h"

namespace vl::help {

std::string help_text() {
  const std::string line_break = "\r\n";
  const std::string gap = line_break + line_break;
  std::string text;
  text += "reqlevel<=10 AND ac<=5" + gap;
  text += "aint>=1 AND aint<=10" + gap;
  text += "aint>=1 AND aint<=10 OR " + line_break + "awis>=1 AND awis<=10" + gap;
  text += "reqlevel<=10 AND damage<=5" + gap;
  text += "name like 'rubicite%' OR ac>=15 AND ac<=20" + gap;
  text += "name like 'banded%' OR" + gap;
  text += "name like 'mesh%' OR" + gap;
  text += "name like 'bronze%'" + line_break;
  return text;
}

}  // namespace vl::help
