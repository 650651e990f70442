// The XML reader on any bytes: every part is read to the end of the document.
#include "fuzz_target.h"
#include "profile/xml_parser_utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  TXmlParserUTF8 xml;
  xml.LoadFromBuffer(fuzz::Input(data, size));
  size_t parts = 0;
  while (xml.Scan()) {
    ++parts;
    const TXmlAttributeList& attrs = xml.PartAttributes();
    for (int i = 0; i < attrs.Count(); ++i) attrs.Value(attrs.Name(i));
    // Attributes are sorted by name, byte by byte.
    for (int i = 1; i < attrs.Count(); ++i)
      fuzz::Require(attrs.Name(i - 1) <= attrs.Name(i), "attributes sorted by name");
  }
  fuzz::Require(!xml.Scan(), "the reader stays at the end");
  return 0;
}
