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

// Straight from the UTF-16 units, without a UCS-4 copy: saves convert every field.
std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  const QChar* const end = text.constEnd();
  for (const QChar* it = text.constBegin(); it != end; ++it) {
    const char16_t unit = it->unicode();
    // A pair stands for one character past U+FFFF, which has no letter here, like a lone half.
    if (QChar::isHighSurrogate(unit) && it + 1 != end && it[1].isLowSurrogate()) ++it;
    out.push_back(CodePointToCp1251(unit));
  }
  return out;
}

}  // namespace quillon
