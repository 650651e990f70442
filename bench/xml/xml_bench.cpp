// Reading speed of the XML reader beside expat, on one generated profile-like document of about
// 30 MB: pages of commands of parameters with Cyrillic descriptions, options, help texts,
// character references and internal entities in text and attributes.
//
//   quillon_xml_bench [--runs N] [--megabytes M] [--table]
//
// expat's handlers add up the lengths of every element name, attribute name and value and piece
// of text; the reader's scan loop does the same with its parts (its text already converted to
// Windows-1251, so the sums differ where Cyrillic is). MB/s is the input's bytes (10^6 a MB)
// over the median of the runs. --table prints tab-separated rows for scripts/bench.
#include <expat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "profile/xml_parser_utf8.h"

namespace {

using namespace quillon;

// The generator's text is UTF-8 whatever the core sources' execution character set is.
std::string U8(const char8_t* text) {
  return std::string(reinterpret_cast<const char*>(text));
}

std::string GenerateDocument(size_t bytes) {
  std::string doc =
      U8(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         u8"<!DOCTYPE application [\n"
         u8"  <!ENTITY sec \"сек\">\n"
         u8"  <!ENTITY maker \"Велтра\">\n"
         u8"  <!ENTITY warn \"Внимание: значение вступит в силу после перезагрузки\">\n"
         u8"]>\n"
         u8"<application><title>Конфигуратор &maker; &amp; Co</title>"
         u8"<inputwidth>24</inputwidth>\n");
  const std::string parameters[] = {
      U8(u8"    <parameter type=\"integer\" description=\"Период передачи данных при движении\" "
         u8"minvalue=\"5\" maxvalue=\"3600\" defaultvalue=\"60\" suffix=\"&sec;\" "
         u8"optional=\"0\"/>\n"),
      U8(u8"    <parameter type=\"string\" description=\"Адрес сервера &quot;основной&quot;\" "
         u8"maxlen=\"64\" defaultvalue=\"example.org\" onchar_mask=\"^[A-Za-z0-9.-]*$\" "
         u8"onleave_mask=\"^[A-Za-z0-9.-]+$\"/>\n"),
      U8(u8"    <parameter type=\"option\" description=\"Режим работы\" defaultvalue=\"1\">\n"
         u8"      <option value=\"0\" text=\"Выключен\"/>\n"
         u8"      <option value=\"1\" text=\"Постоянно\"/>\n"
         u8"      <option value=\"2\" text=\"По событию &#8470;1\"/>\n"
         u8"      <option value=\"3\" text=\"По расписанию\"/>\n"
         u8"    </parameter>\n"),
      U8(u8"    <parameter type=\"hex\" description=\"Маска событий\" maxlen=\"8\" "
         u8"defaultvalue=\"0000FFFF\"/>\n"),
      U8(u8"    <parameter type=\"integer\" description=\"Порог срабатывания датчика, который "
         u8"занимает в подписи несколько строк при обычной ширине окна\" minvalue=\"0\" "
         u8"maxvalue=\"65535\"/>\n"),
  };
  const std::string help =
      U8(u8"    <help>Команда задаёт параметры работы терминала &maker;. &warn;. "
         u8"Допустимые значения &lt;0..65535&gt; &amp; пустая строка.</help>\n");
  char line[256];
  for (int page = 1; doc.size() < bytes; ++page) {
    std::snprintf(line, sizeof line, "  <page id=\"%d\" name=\"", page);
    doc += line + U8(u8"Страница ") + std::to_string(page) + "\">\n";
    for (int command = 1; command <= 20; ++command) {
      std::snprintf(line, sizeof line, "   <command command=\"+C%dX%d\" description=\"", page,
                    command);
      doc += line + U8(u8"Команда ") + std::to_string(command) + U8(u8" страницы ") +
             std::to_string(page) + "\" polldata=\"1\" exportdata=\"1\">\n";
      for (int p = 0; p < 6; ++p) doc += parameters[(page + command + p) % 5];
      doc += help;
      doc += "   </command>\n";
    }
    doc += "  </page>\n";
  }
  return doc + "</application>\n";
}

struct TExpatSums {
  size_t total = 0;
};

void XMLCALL ExpatStart(void* data, const XML_Char* name, const XML_Char** attrs) {
  auto* sums = static_cast<TExpatSums*>(data);
  sums->total += std::strlen(name);
  for (int i = 0; attrs[i]; ++i) sums->total += std::strlen(attrs[i]);
}

void XMLCALL ExpatEnd(void* data, const XML_Char* name) {
  static_cast<TExpatSums*>(data)->total += std::strlen(name);
}

void XMLCALL ExpatText(void* data, const XML_Char*, int length) {
  static_cast<TExpatSums*>(data)->total += static_cast<size_t>(length);
}

size_t ReadWithExpat(const std::string& doc) {
  TExpatSums sums;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &sums);
  XML_SetElementHandler(parser, ExpatStart, ExpatEnd);
  XML_SetCharacterDataHandler(parser, ExpatText);
  if (XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), 1) != XML_STATUS_OK) {
    std::fprintf(stderr, "expat: %s at line %lu\n", XML_ErrorString(XML_GetErrorCode(parser)),
                 static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    std::exit(1);
  }
  XML_ParserFree(parser);
  return sums.total;
}

size_t ReadWithQuillon(const std::string& doc, size_t& parts) {
  TXmlParserUTF8 xml;
  xml.LoadFromBuffer(doc);
  size_t total = 0;
  parts = 0;
  while (xml.Scan()) {
    ++parts;
    switch (xml.PartKind()) {
      case pkStartTag:
      case pkEmptyTag: {
        total += xml.PartName().size();
        const TXmlAttributeList& attrs = xml.PartAttributes();
        for (int i = 0; i < attrs.Count(); ++i)
          total += attrs.Name(i).size() + attrs.Value(i).size();
        break;
      }
      case pkEndTag:
        total += xml.PartName().size();
        break;
      case pkContent:
      case pkCData:
        total += xml.PartContent().size();
        break;
      default:
        break;
    }
  }
  return total;
}

double MedianSeconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  size_t megabytes = 30;
  bool table = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--megabytes") && i + 1 < argc) {
      megabytes = static_cast<size_t>(std::max(1, std::atoi(argv[++i])));
    } else if (!std::strcmp(argv[i], "--table")) {
      table = true;
    } else {
      std::fprintf(stderr, "usage: quillon_xml_bench [--runs N] [--megabytes M] [--table]\n");
      return 2;
    }
  }
  const std::string doc = GenerateDocument(megabytes * 1000 * 1000);
  size_t expatSum = 0, ourSum = 0, parts = 0;
  const double expat = MedianSeconds(runs, [&] { expatSum = ReadWithExpat(doc); });
  const double ours = MedianSeconds(runs, [&] { ourSum = ReadWithQuillon(doc, parts); });
  const double mb = static_cast<double>(doc.size()) / 1e6;
  if (table) {
    std::printf(
        "row\tXML reading, %.0f MB profile-like document\t%.0f MB/s\texpat %s: %.0f "
        "MB/s\t%.2fx\t>= 1.5x\n",
        mb, mb / ours, XML_ExpatVersion() + 6, mb / expat, expat / ours);
    return 0;
  }
  std::printf("document: %.1f MB, %zu parts; median of %d runs\n", mb, parts, runs);
  std::printf("  expat %-8s %8.1f ms  %7.1f MB/s  (lengths %zu)\n", XML_ExpatVersion() + 6,
              expat * 1000, mb / expat, expatSum);
  std::printf("  quillon        %8.1f ms  %7.1f MB/s  (lengths %zu, Windows-1251)\n", ours * 1000,
              mb / ours, ourSum);
  std::printf("  quillon / expat: %.2fx (goal 1.5x or better)\n", expat / ours);
  return 0;
}
