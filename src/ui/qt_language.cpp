#include "ui/qt_language.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTranslator>

#include "ui/qt_text.h"

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

std::string TranslateCp1251(const char* context, const std::string& cp1251Text) {
  const QByteArray source = ToQString(cp1251Text).toUtf8();
  return FromQString(QCoreApplication::translate(context, source.constData()));
}

}  // namespace quillon
