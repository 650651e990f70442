#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "profile/xml_parser_utf8.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon {
namespace {

// UTF-8 bytes of a u8 literal as a plain string (narrow literals here are Windows-1251).
using test::U8;

// One part in a compact form: kind, name, content where the kind sets one, attributes.
std::string Describe(const TXmlParserUTF8& xml) {
  std::string out = std::to_string(xml.PartKind()) + " " + xml.PartName();
  TXmlPartKind kind = xml.PartKind();
  if (kind == pkPI || kind == pkContent || kind == pkCData) out += " [" + xml.PartContent() + "]";
  const TXmlAttributeList& attrs = xml.PartAttributes();
  if (attrs.Count() > 0) {
    out += " {";
    for (int i = 0; i < attrs.Count(); ++i)
      out += (i ? "," : "") + attrs.Name(i) + "=" + attrs.Value(i);
    out += "}";
  }
  return out;
}

std::vector<std::string> ScanAll(const std::string& document) {
  TXmlParserUTF8 xml;
  EXPECT_TRUE(xml.LoadFromBuffer(document));
  std::vector<std::string> parts;
  while (xml.Scan()) parts.push_back(Describe(xml));
  EXPECT_FALSE(xml.Scan());  // stays at the end
  return parts;
}

using Parts = std::vector<std::string>;

TEST(XmlParser, TextIsTrimmedCollapsedAndNamedAfterItsTag) {
  std::string doc =
      U8(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
         u8"<application>\n  <title>  Конфигуратор \t\n Veltra  </title>\n"
         u8"  <inputwidth>24</inputwidth>\n</application>\n");
  EXPECT_EQ(ScanAll(doc), (Parts{"1  {encoding=UTF-8,version=1.0}", "5 application", "5 title",
                                 "8 title [Конфигуратор Veltra]", "7 title", "5 inputwidth",
                                 "8 inputwidth [24]", "7 inputwidth", "7 application"}));
}

TEST(XmlParser, NameAndAttributesCarryOverToCommentsTextAndCData) {
  std::string doc =
      "<r><a x=\"1\"><!-- note -->text<![CDATA[ <b> &amp;  x ]]></a>tail<?pi  some data?>"
      "after</r>";
  EXPECT_EQ(ScanAll(doc), (Parts{"5 r", "5 a {x=1}", "2 a {x=1}", "8 a [text] {x=1}",
                                 "9 a [ <b> &amp;  x ] {x=1}", "7 a", "8 a [tail]",
                                 "3 pi [some data]", "8 pi [after]", "7 r"}));
}

TEST(XmlParser, CommentKeepsThePreviousContent) {
  TXmlParserUTF8 xml;
  xml.LoadFromBuffer("<a>one</a><!--x--><b/><?xml version='1.0'?><!DOCTYPE a>");
  std::vector<std::string> contents;
  while (xml.Scan()) contents.push_back(std::to_string(xml.PartKind()) + ":" + xml.PartContent());
  EXPECT_EQ(contents, (Parts{"5:", "8:one", "7:one", "2:one", "6:one", "1:", "4:"}));
}

TEST(XmlParser, TagKinds) {
  EXPECT_EQ(ScanAll("<a/><a /><a x='1'/><b></b></c >"),
            (Parts{"6 a", "6 a", "6 a {x=1}", "5 b", "7 b", "7 c"}));
}

TEST(XmlParser, AttributeValuesAreNormalisedAndSorted) {
  TXmlParserUTF8 xml;
  xml.LoadFromBuffer(
      U8(u8"<a b=\"2\" a='1' B=\"3\" nl=\"x\ny\" tab=\"p\tq&#9;r\" cr=\"s&#13;&#10;t\""
         u8" sp=\"  two  spaces \" ref=\"&lt;&amp;&gt;&apos;&quot;\""
         u8" num=\"&#1055;&#x41;&#x43f;\" ru=\"Привет\" bad=\"a&#xZZ;b\"/>"));
  ASSERT_TRUE(xml.Scan());
  const TXmlAttributeList& attrs = xml.PartAttributes();
  EXPECT_EQ(attrs.Value("nl"), "x y");
  EXPECT_EQ(attrs.Value("tab"), "p q r");
  EXPECT_EQ(attrs.Value("cr"), "s  t");
  EXPECT_EQ(attrs.Value("sp"), "  two  spaces ");
  EXPECT_EQ(attrs.Value("ref"), "<&>'\"");
  EXPECT_EQ(attrs.Value("num"), "ПAп");
  EXPECT_EQ(attrs.Value("ru"), "Привет");
  EXPECT_EQ(attrs.Value("bad"), "a b");
  // Byte order: capitals before small letters; lookup is exact.
  EXPECT_EQ(attrs.Name(0), "B");
  EXPECT_EQ(attrs.Name(1), "a");
  EXPECT_EQ(attrs.Name(2), "b");
  EXPECT_EQ(attrs.Value("a"), "1");
  EXPECT_EQ(attrs.Value("b"), "2");
  EXPECT_EQ(attrs.Value("A"), "");
  EXPECT_EQ(attrs.Value("missing"), "");
  EXPECT_EQ(attrs.Name(-1), "");
  EXPECT_EQ(attrs.Value(attrs.Count()), "");
}

// Ordering the attributes of a part costs O(n log n) steps whatever order they come in: counted
// in name comparisons and moves, since a timed test would only be flaky.
TEST(XmlParser, ManyAttributesAreOrderedInNLogNSteps) {
  constexpr int kCount = 100000;
  auto document = [](bool descending) {
    std::string doc = "<a";
    char name[16];
    for (int i = 0; i < kCount; ++i) {
      std::snprintf(name, sizeof name, " n%06d=\"", descending ? kCount - 1 - i : i);
      doc += name;
      doc += std::to_string(i) + "\"";
    }
    return doc + "/>";
  };
  const double bound = 3.0 * kCount * 17;  // 17 > log2(100000)
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    TXmlParserUTF8 xml;
    xml.LoadFromBuffer(document(descending));
    ASSERT_TRUE(xml.Scan());
    const TXmlAttributeList& attrs = xml.PartAttributes();
    ASSERT_EQ(attrs.Count(), kCount);
    EXPECT_EQ(attrs.Name(0), "n000000");
    EXPECT_EQ(attrs.Name(kCount - 1), "n099999");
    EXPECT_EQ(attrs.Value("n000000"), descending ? std::to_string(kCount - 1) : "0");
    EXPECT_EQ(attrs.Value("n012345"), std::to_string(descending ? kCount - 1 - 12345 : 12345));
    EXPECT_LE(static_cast<double>(attrs.OrderingSteps()), bound);
    if (!descending) {
      EXPECT_EQ(attrs.OrderingSteps(), static_cast<size_t>(kCount - 1));
    }
  }
}

TEST(XmlParser, RepeatedAttributeNamesKeepTheirDocumentOrder) {
  TXmlAttributeList attrs;
  const char* names[] = {"z", "b", "a", "b", "c", "a", "b"};
  for (int i = 0; i < 7; ++i) attrs.Add(names[i], std::to_string(i));
  std::string order;
  for (int i = 0; i < attrs.Count(); ++i) order += attrs.Name(i) + attrs.Value(i) + " ";
  EXPECT_EQ(order, "a2 a5 b1 b3 b6 c4 z0 ");
  EXPECT_EQ(attrs.Value("b"), "1");  // the first of a repeated name
  // Added after a lookup, a name still finds its place.
  attrs.Add("aa", "7");
  EXPECT_EQ(attrs.Name(2), "aa");
  EXPECT_EQ(attrs.Value("aa"), "7");
  // Reused after Clear, the list starts empty and orders the new attributes alone.
  attrs.Clear();
  attrs.Add("y", "1");
  attrs.Add("x", "2");
  EXPECT_EQ(attrs.Count(), 2);
  EXPECT_EQ(attrs.Name(0), "x");
  EXPECT_EQ(attrs.Value("y"), "1");
  EXPECT_FALSE(attrs.Has("z"));
}

TEST(XmlParser, ReferencesInText) {
  EXPECT_EQ(ScanAll("<a>&#1055;&#x41; &lt;b&gt; &amp; &apos;&quot; x&#xZZ;y&#0;z</a>"),
            (Parts{"5 a", "8 a [ПA <b> & '\" x y z]", "7 a"}));
  // References count as text for trimming: a space made by one is trimmed like any other.
  EXPECT_EQ(ScanAll("<a>&#32;x&#10;&#10;y&#9;</a>"), (Parts{"5 a", "8 a [x y]", "7 a"}));
}

TEST(XmlParser, InternalEntitiesReadAsIfInTheDocument) {
  std::string doc =
      U8(u8"<!DOCTYPE r [\n"
         u8"  <!ENTITY co \"Велтра\">\n"
         u8"  <!ENTITY nested '&co; GPS'>\n"
         u8"  <!ENTITY tag \"<b k='v'>x&amp;y</b>\">\n"
         u8"  <!-- comment ] > inside -->\n"
         u8"  <!ELEMENT r ANY>\n"
         u8"  <!ATTLIST r a CDATA \"x>y\">\n"
         u8"  <!ENTITY co \"ignored: the first declaration binds\">\n"
         u8"]>\n"
         u8"<r a=\"&nested;!\">&co;: &tag; &nested;</r>");
  EXPECT_EQ(ScanAll(doc),
            (Parts{"4 ", "5 r {a=Велтра GPS!}", "8 r [Велтра:] {a=Велтра GPS!}", "5 b {k=v}",
                   "8 b [x&y] {k=v}", "7 b", "8 b [Велтра GPS]", "7 r"}));
}

TEST(XmlParser, CharacterConversion) {
  // Chinese and four-byte characters have no Windows-1251 form.
  std::string doc = U8(u8"<a v=\"x\u4E2D\U0001F600\">Ёлка \u4E2D &#x4E2D; &#x1F600;</a>");
  EXPECT_EQ(ScanAll(doc), (Parts{"5 a {v=x??}", "8 a [Ёлка ? ? ?] {v=x??}", "7 a"}));
}

TEST(XmlParser, MalformedUtf8EmptiesItsPieceOnly) {
  // Runs between references are converted one by one.
  std::string doc = "<a v=\"\xD0\" w=\"ok\">ok \xD0</a><b>\xD0&amp;ok</b>";
  EXPECT_EQ(ScanAll(doc), (Parts{"5 a {v=,w=ok}", "7 a", "5 b", "8 b [&ok]", "7 b"}));
}

TEST(XmlParser, Windows1251DocumentIsStillReadAsUtf8) {
  std::string doc =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
      "<r t=\"\xCF\xF0\xE8\xE2\xE5\xF2\" u=\"plain\">\xCF\xF0\xE8\xE2\xE5\xF2</r><s>abc</s>";
  EXPECT_EQ(ScanAll(doc), (Parts{"1  {encoding=windows-1251,version=1.0}", "5 r {t=,u=plain}",
                                 "7 r", "5 s", "8 s [abc]", "7 s"}));
}

TEST(XmlParser, DeclarationAndProcessingInstructions) {
  std::string doc =
      "<?xml version=\"1.0\" encoding='UTF-8' standalone=\"yes\"?>"
      "<?xml-stylesheet href=\"s.css\"  type=\"text/css\"?><?xml?><?go?><a/>";
  EXPECT_EQ(
      ScanAll(doc),
      (Parts{"1  {encoding=UTF-8,standalone=yes,version=1.0}",
             "3 xml-stylesheet [href=\"s.css\"  type=\"text/css\"] {href=s.css,type=text/css}",
             "3 xml []", "3 go []", "6 a"}));
}

TEST(XmlParser, ByteZeroEndsTheDocument) {
  using namespace std::string_literals;
  EXPECT_EQ(ScanAll("<a>x</a>\0<b/>"s), (Parts{"5 a", "8 a [x]", "7 a"}));
  EXPECT_EQ(ScanAll("<a>x\0y</a>"s), (Parts{"5 a", "8 a [x]"}));
}

TEST(XmlParser, ByteOrderMarkIsHarmless) {
  Parts parts = ScanAll("\xEF\xBB\xBF<?xml version=\"1.0\"?><a>x</a>");
  ASSERT_FALSE(parts.empty());
  while (!parts.empty() && parts.front().rfind("8  ", 0) == 0) parts.erase(parts.begin());
  EXPECT_EQ(parts, (Parts{"1  {version=1.0}", "5 a", "8 a [x]", "7 a"}));
}

TEST(XmlParser, MalformedMarkupEndsTheDocumentQuietly) {
  struct Case {
    const char* doc;
    Parts parts;
  };
  const Case cases[] = {
      {"<a><b x=\"1\"", {"5 a"}},
      {"<a><b x=\"1></b>", {"5 a"}},
      {"<a><b x></b>", {"5 a"}},
      {"<a><b x=1></b>", {"5 a"}},
      {"<a><b/ x></b>", {"5 a"}},
      {"<a>x &nbsp; y</a><b/>", {"5 a"}},
      {"<a>fish & chips</a><b/>", {"5 a"}},
      {"<a v=\"&undeclared;\"/><b/>", {}},
      {"<a v=\"a & b\"/><b/>", {}},
      {"<a><!-- open", {"5 a"}},
      {"<a><![CDATA[ open", {"5 a"}},
      {"<a><?pi open", {"5 a"}},
      {"<a><!FOO><b/>", {"5 a"}},
      {"<a>< b/>", {"5 a"}},
      {"<a>text<", {"5 a", "8 a [text]"}},
      {"<!DOCTYPE r [<!ENTITY e \"x\"", {}},
      {"<!DOCTYPE r [ junk ]><r/>", {}},
      {"</x><a/>", {"7 x", "6 a"}},  // unbalanced end tags are delivered as found
  };
  for (const auto& c : cases) EXPECT_EQ(ScanAll(c.doc), c.parts) << c.doc;
}

TEST(XmlParser, EntityExpansionIsBounded) {
  // Nine levels of ten references each would expand to a few gigabytes.
  std::string dtd = "<!DOCTYPE r [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  dtd += "]>";
  EXPECT_EQ(ScanAll(dtd + "<r>&l9;</r><after/>"), (Parts{"4 ", "5 r"}));
  EXPECT_EQ(ScanAll(dtd + "<r a=\"&l9;\"/><after/>"), (Parts{"4 "}));
  // A modest use of the same entities stays readable.
  Parts small = ScanAll(dtd + "<r a=\"&l2;\">&l2;</r>");
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += "lol";
  EXPECT_EQ(small, (Parts{"4 ", "5 r {a=" + hundred + "}",
                          "8 r [" + hundred + "] {a=" + hundred + "}", "7 r"}));
  // One large entity used many times runs into the same budget: 20 MB from a 100 KB document.
  std::string big = "<!DOCTYPE r [<!ENTITY big \"" + std::string(100000, 'x') + "\">]><r>";
  for (int i = 0; i < 200; ++i) big += "&big;";
  EXPECT_EQ(ScanAll(big + "</r>"), (Parts{"4 ", "5 r"}));
}

// Expansions are free up to 8 MiB and then may reach 100 times the document's size: a document
// that merely uses an entity often reads to its end.
TEST(XmlParser, ManyReferencesInAValidDocumentAreAllRead) {
  std::string doc = "<!DOCTYPE r [<!ENTITY e \"<page id='x'/>\">]><r>";  // 14 bytes
  for (int i = 0; i < 100000; ++i) doc += "&e;";
  doc += "</r>";
  TXmlParserUTF8 xml;
  ASSERT_TRUE(xml.LoadFromBuffer(doc));
  int pages = 0;
  bool closed = false;
  while (xml.Scan()) {
    pages += xml.PartKind() == pkEmptyTag && xml.PartName() == "page";
    closed = xml.PartKind() == pkEndTag && xml.PartName() == "r";
  }
  EXPECT_EQ(pages, 100000);
  EXPECT_TRUE(closed);

  // Past 8 MiB the ratio decides: 9 MB from a 100 KB document reads on (20 MB from one of the
  // same size ends it, above).
  std::string large = "<!DOCTYPE r [<!ENTITY e \"" + std::string(30000, 'y') + "\">]><r>" +
                      std::string(100000, ' ');
  for (int i = 0; i < 300; ++i) large += "&e;<x/>";
  EXPECT_EQ(ScanAll(large + "</r><end/>").back(), "6 end");
}

TEST(XmlParser, ReferenceCyclesEndTheDocument) {
  const char* docs[] = {
      "<!DOCTYPE r [<!ENTITY a \"x&a;\">]><r>&a;</r><z/>",
      "<!DOCTYPE r [<!ENTITY a \"&a;\">]><r>&a;</r><z/>",
      "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"y&a;y\">]><r>&a;</r><z/>",
      "<!DOCTYPE r [<!ENTITY a \"<q>&a;</q>\">]><r>&a;</r><z/>",
  };
  for (const char* doc : docs) {
    Parts parts = ScanAll(doc);
    ASSERT_GE(parts.size(), 2u) << doc;
    EXPECT_EQ(parts[1], "5 r") << doc;
    EXPECT_NE(parts.back(), "6 z") << doc;
    EXPECT_LT(parts.size(), 200u) << doc;
  }
  EXPECT_EQ(ScanAll("<!DOCTYPE r [<!ENTITY a \"x&b;\"><!ENTITY b \"&a;\">]><r v=\"&a;\"/><z/>"),
            (Parts{"4 "}));
  // The same entity twice in a row is no cycle.
  EXPECT_EQ(
      ScanAll("<!DOCTYPE r [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;\">]><r v=\"&b;&b;\">&b;&b;</r>"),
      (Parts{"4 ", "5 r {v=xxxx}", "8 r [xxxx] {v=xxxx}", "7 r"}));
}

class XmlParserFiles : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& data) {
    return dir_.Write(name, data);
  }
  test::TempDir dir_;
};

TEST_F(XmlParserFiles, ExternalEntitiesAndSubsetsAreNeverRead) {
  std::string secret = Write("secret.txt", "SECRET");
  std::string dtd = Write("ext.dtd", "<!ENTITY fromdtd \"DTD\">");
  std::string doc = "<!DOCTYPE r SYSTEM \"" + dtd + "\" [<!ENTITY ext SYSTEM \"" + secret +
                    "\"><!ENTITY pub PUBLIC \"-//X//Y\" \"file://" + secret +
                    "\"><!ENTITY % pe SYSTEM \"" + dtd +
                    "\"> %pe; ]><r v=\"a&ext;b\">a&ext;&pub;b</r>";
  EXPECT_EQ(ScanAll(doc), (Parts{"4 ", "5 r {v=ab}", "8 r [ab] {v=ab}", "7 r"}));
  // An entity only the external subset declares is unknown.
  EXPECT_EQ(ScanAll("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&fromdtd;</r>"), (Parts{"4 ", "5 r"}));
}

TEST_F(XmlParserFiles, LoadFromFile) {
  using namespace std::string_literals;
  TXmlParserUTF8 xml;
  std::string path = Write("doc.xml", U8(u8"<a>Жук</a>") + "\0<b/>"s);
  ASSERT_TRUE(xml.LoadFromFile(path));
  ASSERT_TRUE(xml.Scan());
  ASSERT_TRUE(xml.Scan());
  EXPECT_EQ(xml.PartContent(), "Жук");
  ASSERT_TRUE(xml.Scan());
  EXPECT_FALSE(xml.Scan());

  // A missing file or a folder is an empty document, and the old one is forgotten.
  ASSERT_TRUE(xml.LoadFromBuffer("<a/>"));
  EXPECT_FALSE(xml.LoadFromFile(path + ".missing"));
  EXPECT_FALSE(xml.Scan());
  EXPECT_EQ(xml.PartKind(), pkNone);
  EXPECT_FALSE(xml.LoadFromFile(::testing::TempDir()));
  EXPECT_FALSE(xml.Scan());
}

TEST(XmlParser, LoadingForgetsThePreviousDocument) {
  TXmlParserUTF8 xml;
  EXPECT_EQ(xml.PartKind(), pkNone);
  EXPECT_FALSE(xml.Scan());
  xml.LoadFromBuffer("<!DOCTYPE r [<!ENTITY e \"x\">]><r a=\"1\">&e;</r>");
  ASSERT_TRUE(xml.Scan());
  ASSERT_TRUE(xml.Scan());
  xml.LoadFromBuffer("<s>&e;</s>");
  EXPECT_EQ(xml.PartKind(), pkNone);
  EXPECT_EQ(xml.PartAttributes().Count(), 0);
  ASSERT_TRUE(xml.Scan());
  EXPECT_EQ(xml.PartName(), "s");
  EXPECT_FALSE(xml.Scan());  // the entity of the first document is gone
}

}  // namespace
}  // namespace quillon
