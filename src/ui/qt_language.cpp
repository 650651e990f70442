#include "ui/qt_language.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "profile/fixed_texts.h"
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

QTranslator* InstallQtTranslations(QCoreApplication& app, const QTranslator* languageFile) {
  const QString language = languageFile ? languageFile->language() : QStringLiteral("ru_RU");
  if (language.isEmpty() || QLocale(language).language() == QLocale::English) return nullptr;
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    return translator;
  delete translator;
  return nullptr;
}

void TranslateLogicTexts() {
  TranslateFixedTexts(
      [](const std::string& text) { return TranslateCp1251(kFixedTextsContext, text); });
}

std::string TranslateCp1251(const char* context, const std::string& cp1251Text) {
  const QByteArray source = ToQString(cp1251Text).toUtf8();
  return FromQString(QCoreApplication::translate(context, source.constData()));
}

}  // namespace quillon
