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

// A text of the logic (Windows-1251) in the interface language: looked up under its Russian
// source text in the given translation context; unchanged when no translation has it.
std::string TranslateCp1251(const char* context, const std::string& cp1251Text);

}  // namespace quillon
