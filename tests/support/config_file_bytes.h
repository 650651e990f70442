// Configuration files written by hand for tests, laid out and compressed as the program writes
// them, so that a test states exactly which commands and values a file holds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "configfiles/bounded_inflater.h"

namespace quillon::test {

using TParams = std::vector<std::pair<std::string, std::string>>;  // index (and enabled), value

// One command element as the writer lays it out; params: "0" or "1\" enabled=\"0" and value.
inline std::string CommandXml(const std::string& name, const std::vector<TParams>& instances) {
  std::string xml = "  <command name=\"" + name + "\">\r\n";
  for (size_t k = 0; k < instances.size(); ++k) {
    xml += "   <index index=\"" + std::to_string(k) + "\">\r\n";
    for (const auto& [index, value] : instances[k])
      xml += "    <parameter index=\"" + index + "\">" + value + "</parameter>\r\n";
    xml += "   </index>\r\n";
  }
  return xml + "  </command>\r\n";
}

// A configuration file around the command elements, compressed as the program writes it.
inline std::string ConfigFile(const std::string& commands) {
  return DeflateBest(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Quillon>\r\n "
      "<ExportCommandParamenters>\r\n" +
      commands + " </ExportCommandParamenters>\r\n</Quillon>\r\n");
}

}  // namespace quillon::test
