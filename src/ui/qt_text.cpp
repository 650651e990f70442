#include "ui/qt_text.h"

#include "profile/cp1251.h"

namespace quillon {

QString ToQString(const std::string& cp1251Text) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1251Text.size()));
  for (char c : cp1251Text)
    out.append(QChar(static_cast<char16_t>(Cp1251ToCodePoint(static_cast<unsigned char>(c)))));
  return out;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  const std::u32string ucs4 = text.toStdU32String();
  for (char32_t cp : ucs4) out.push_back(CodePointToCp1251(cp));
  return out;
}

}  // namespace quillon
