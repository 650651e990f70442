// The program's icon, drawn at run time so no image files have to travel with the executable.
#pragma once

#include <QIcon>

namespace quillon {

QIcon AppIcon();

}  // namespace quillon
