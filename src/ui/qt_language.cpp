#include "ui/qt_language.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTranslator>

namespace quillon {

QTranslator* InstallLanguageFile(QCoreApplication& app,
                                 const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(candidate));
    if (!QFileInfo(path).isFile()) continue;
    auto* translator = new QTranslator(&app);
    if (translator->load(path) && QCoreApplication::installTranslator(translator))
      return translator;
    delete translator;
  }
  return nullptr;
}

}  // namespace quillon
