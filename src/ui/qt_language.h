// The interface language: a Qt translation file beside the executable replaces the built-in
// Russian texts for the whole run.
#pragma once

#include <string>
#include <vector>

class QCoreApplication;
class QTranslator;

namespace quillon {

// Loads the first of the candidate files that exists and is a valid translation into a
// translator installed on the application (and owned by it). Returns it, or nullptr when none
// was loaded and the built-in texts stay in force. Call before the first window is created.
QTranslator* InstallLanguageFile(QCoreApplication& app, const std::vector<std::string>& candidates);

// Qt's own texts (standard buttons, file dialogs, context menus) in the language in force: that
// of languageFile, or Russian, the built-in language, when none was loaded. Returns the installed
// translator, or nullptr when Qt's texts stay English (its own) or no translation of them exists.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QTranslator* languageFile);

// Puts the logic's fixed texts (log lines, refusals, hints) into the interface language.
void TranslateLogicTexts();

// A text of the logic (Windows-1251) in the interface language: looked up under its Russian
// source text in the given translation context; unchanged when no translation has it.
std::string TranslateCp1251(const char* context, const std::string& cp1251Text);

}  // namespace quillon
