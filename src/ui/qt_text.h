// The Qt boundary of the logic's Windows-1251 text.
#pragma once

#include <QString>
#include <string>

namespace quillon {

QString ToQString(const std::string& cp1251Text);
std::string FromQString(const QString& text);

}  // namespace quillon
