// Rules for the values of an apply request, shared by the editor's requests and the command
// line's --set.
#pragma once

#include <string>

namespace quillon {

struct TDevCommand;

// The terminal reads the values of a request by position and ends the request at a line break:
// a comma in a value would shift every later value into the wrong parameter, a CR or LF would
// cut the request short. False for such a value; it must not be sent.
bool IsSendableValue(const std::string& value);

// A parameter as the protocol log names it: the command's name, "#" and the instance from 1 for
// an indexed command, the parameter's number from 0 and its description.
std::string ParameterName(const TDevCommand& command, int instance, int param);

}  // namespace quillon
