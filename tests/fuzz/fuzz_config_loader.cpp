// A configuration file from any bytes (a zlib stream) and, when the first byte says so, its
// text taken as the uncompressed document, loaded into the headless editor of the sample-like
// profile below. What loads is written out and loaded again.
#include "configfiles/config_file.h"
#include "configfiles/config_messages.h"
#include "editor/headless_editor.h"
#include "fuzz_target.h"
#include "profile/command_profile.h"

namespace {

const char kProfile[] =
    "<application><page id=\"1\" name=\"P\">"
    "<command command=\"+ABCD\" polldata=\"1\" exportdata=\"1\">"
    "<parameter type=\"integer\" minvalue=\"-5\" maxvalue=\"100\" optional=\"0\"/>"
    "<parameter type=\"string\" maxlen=\"8\" onleave_mask=\"^[a-z]*$\"/>"
    "<parameter type=\"hex\" maxlen=\"4\"/>"
    "<parameter type=\"option\"><option value=\"0\" text=\"off\"/>"
    "<option value=\"1\" text=\"on\"/></parameter></command>"
    "<command command=\"+IDX\" polldata=\"1\" exportdata=\"1\" maxindex=\"3\">"
    "<parameter type=\"integer\"/><parameter type=\"string\"/></command>"
    "<command command=\"+TBL\" polldata=\"1\" exportdata=\"1\" pollprocessor=\"table\" "
    "table_headers=\"a,b\"><parameter type=\"string\"/></command>"
    "</page></application>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  static const CommandProfile profile = [] {
    CommandProfile p;
    p.LoadCommandProfileFromBuffer(kProfile);
    return p;
  }();
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  const std::string input = fuzz::Input(data, size);
  if (size > 0 && data[0] == '<')
    LoadConfigurationXml(profile, editor, input, messages);
  else
    LoadConfigurationFromBuffer(profile, editor, input, messages);

  // Whatever the editor holds now writes out and reads back into a fresh editor cleanly.
  const std::string xml = WriteConfigurationXml(profile, editor, messages);
  THeadlessEditor again(profile);
  TConfigMessages none;
  LoadConfigurationXml(profile, again, xml, none);
  return 0;
}
