// What quillon-sim received, read from its --trace output (the file a test gives
// TSimulatorProcess::SetErrorFile), which marks every request it reads with "] << ".
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace quillon::test {

// The requests in the trace file, in order, the access code included.
inline std::vector<std::string> ReceivedRequests(const std::string& traceFile) {
  std::vector<std::string> requests;
  const std::string trace = ReadFile(traceFile);
  for (size_t at = trace.find("] << "); at != std::string::npos; at = trace.find("] << ", at + 1)) {
    const size_t from = at + 5;
    requests.push_back(trace.substr(from, trace.find('\n', from) - from));
  }
  return requests;
}

}  // namespace quillon::test
