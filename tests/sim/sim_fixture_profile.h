// A small command profile that shows every kind of command the simulated terminal handles.
#pragma once

#include <string>

namespace quillon {

// The profile as UTF-8 XML.
const std::string& SimFixtureProfileXml();

// The profile written to a file in the temporary folder (written once); its path.
const std::string& SimFixtureProfileFile();

}  // namespace quillon
