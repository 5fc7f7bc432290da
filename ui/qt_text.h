#pragma once
// The program keeps captions and texts with CR LF line breaks; Qt's widgets
// show and store LF alone. These convert at the boundary.

#include <QString>
#include <string>

namespace vl::ui {

// A model text as the widget shows it: CR LF (and a lone CR) become LF.
inline QString display_text(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

// A widget's text in the program's form: every line break is CR LF.
inline std::string model_text(const QString& shown) {
  QString text = shown;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace vl::ui
