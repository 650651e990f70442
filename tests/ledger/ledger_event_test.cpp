// Events as the ledger stores and exports them: the canonical JSON the chain hashes, the
// details of a write (nothing secret in them), and the JSON and CSV of an export.
#include "ledger/ledger_event.h"

#include <gtest/gtest.h>

#include "ledger/event_details.h"
#include "ledger/ledger_export.h"
#include "link/password_masker.h"
#include "profile/command_profile.h"
#include "support/utf8_literal.h"

namespace quillon {
namespace {

using test::U8;

TLedgerEvent SampleEvent() {
  TLedgerEvent e;
  e.Time = "2026-03-01T08:15:00.250Z";
  e.Imei = "356938035643809";
  e.Port = "/dev/ttyUSB0";
  e.Station = "3f2b8c1e-9d4a-4c1b-8e2f-0a1b2c3d4e5f";
  e.Operator = U8(u8"Анна");
  e.Version = "0.1.0";
  e.Kind = lkWrite;
  e.Details = {{"command", "+SSRV"}, {"instance", 2}, {"parameters", nlohmann::json::array()}};
  return e;
}

// The chain hashes these bytes, so their form is fixed: sorted keys, no spaces, UTF-8 as it
// is, the number inside.
TEST(LedgerEvent, CanonicalJsonIsFixedAndReadsBack) {
  const TLedgerEvent e = SampleEvent();
  const std::string body = CanonicalEventJson(7, e);
  EXPECT_EQ(body, U8(u8"{\"details\":{\"command\":\"+SSRV\",\"instance\":2,\"parameters\":[]},"
                     u8"\"imei\":\"356938035643809\",\"kind\":\"write\",\"operator\":\"Анна\","
                     u8"\"port\":\"/dev/ttyUSB0\",\"seq\":7,"
                     u8"\"station\":\"3f2b8c1e-9d4a-4c1b-8e2f-0a1b2c3d4e5f\","
                     u8"\"time\":\"2026-03-01T08:15:00.250Z\",\"version\":\"0.1.0\"}"));

  const std::optional<TLedgerRecord> back = EventFromCanonicalJson(body);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Seq, 7);
  EXPECT_EQ(CanonicalEventJson(back->Seq, back->Event), body) << "a round trip keeps the bytes";

  TLedgerEvent portOnly = e;
  portOnly.Imei.reset();
  portOnly.Operator = "op\xFF";  // not UTF-8: replaced, never an exception during a write
  const std::string other = CanonicalEventJson(8, portOnly);
  EXPECT_NE(other.find("\"imei\":null"), std::string::npos) << other;
  EXPECT_NE(other.find(U8(u8"\"operator\":\"op\uFFFD\"")), std::string::npos) << other;
  ASSERT_TRUE(EventFromCanonicalJson(other));
  EXPECT_FALSE(EventFromCanonicalJson(other)->Event.Imei);
}

TEST(LedgerEvent, RecordsThatAreNotEventsAreRefused) {
  const std::string good = CanonicalEventJson(1, SampleEvent());
  auto without = [&](const char* key) {
    nlohmann::json j = nlohmann::json::parse(good);
    j.erase(key);
    return j.dump();
  };
  auto with = [&](const char* key, nlohmann::json value) {
    nlohmann::json j = nlohmann::json::parse(good);
    j[key] = std::move(value);
    return j.dump();
  };
  const std::string cases[] = {
      "",
      "[]",
      "{\"seq\"",
      without("seq"),
      without("imei"),
      without("details"),
      with("seq", "1"),
      with("seq", 1.5),
      with("kind", "rewrite"),
      with("imei", 356938035643809),
      with("time", nullptr),
  };
  for (const std::string& text : cases) EXPECT_FALSE(EventFromCanonicalJson(text)) << text;
  EXPECT_TRUE(EventFromCanonicalJson(with("kind", "acceptance")));
}

TEST(LedgerEvent, KindNamesReadBack) {
  for (TLedgerKind kind :
       {lkSnapshot, lkWrite, lkVerify, lkStore, lkRestore, lkProvision, lkNote, lkAcceptance}) {
    ASSERT_TRUE(LedgerKindFromName(LedgerKindName(kind))) << kind;
    EXPECT_EQ(*LedgerKindFromName(LedgerKindName(kind)), kind);
  }
  EXPECT_FALSE(LedgerKindFromName("Write"));
}

TCmdParameter Param(bool overwrite) {
  TCmdParameter p;
  p.Overwrite = overwrite;
  return p;
}

// A write records what each sent parameter held before and was given, but never a password in
// force (whatever its letter case, wherever it stands in a value) and never the value of a
// parameter the terminal cannot read back.
TEST(WriteDetails, MasksPasswordsAndHidesWriteOnlyValues) {
  TDevCommand cmd;
  cmd.Name = "+SSRV";
  cmd.Indexed = true;
  cmd.Parameters = {Param(true), Param(true), Param(false), Param(true), Param(true), Param(false)};
  const TPasswordMasker masker({"Secret1", "4321"});
  const TParameterValues before = {"old.example.org", "4321", std::nullopt, "Сервер", "9"};
  const TParameterValues sent = {"new.example.org", "x-SECRET1-y", "hidden",
                                 std::nullopt,      "Привет",      "also hidden"};
  const nlohmann::json details = WriteDetails(cmd, 1, before, sent, masker);
  EXPECT_EQ(details, nlohmann::json::parse(U8(u8R"({"command": "+SSRV", "instance": 2,
      "parameters": [
        {"index": 0, "before": "old.example.org", "after": "new.example.org"},
        {"index": 1, "before": "*", "after": "x-*-y"},
        {"index": 2, "before": null, "after": "set"},
        {"index": 4, "before": "9", "after": "Привет"},
        {"index": 5, "before": null, "after": "set"}]})")))
      << details.dump();
  const std::string stored = CompactJson(details);
  for (const char* secret : {"hidden", "Secret1", "SECRET1", "4321"})
    EXPECT_EQ(stored.find(secret), std::string::npos) << secret;

  // Nothing read before: every "before" is null.
  const nlohmann::json unread = WriteDetails(cmd, 0, {}, {"a", "b"}, TPasswordMasker());
  EXPECT_EQ(unread["instance"], 1);
  EXPECT_EQ(unread["parameters"][0]["before"], nullptr);
  EXPECT_EQ(unread["parameters"][1]["after"], "b");
}

TEST(EventDetails, OtherKindsAndNotes) {
  TDevCommand cmd;
  cmd.Name = "+SGPS";
  EXPECT_EQ(VerifyDetails(cmd, 0, "differs"),
            nlohmann::json::parse(R"({"command": "+SGPS", "instance": 1, "result": "differs"})"));
  EXPECT_EQ(NoteDetails("Пароль 1234 сменён", TPasswordMasker({"1234"})),
            nlohmann::json({{"text", U8(u8"Пароль * сменён")}}));
  EXPECT_EQ(StoreDetails(false), nlohmann::json({{"result", "not stored"}}));
}

TEST(LedgerExport, JsonAndCsv) {
  TLedgerRecord first{1, SampleEvent(), std::string(64, 'a')};
  TLedgerRecord second{2, SampleEvent(), std::string(64, 'b')};
  second.Event.Imei.reset();
  second.Event.Kind = lkNote;
  second.Event.Details = {{"text", "line one,\r\n\"two\""}};
  EXPECT_EQ(RecordsJson({}), "{\"events\": []}\n");
  const std::string json = RecordsJson({first, second});
  EXPECT_EQ(json.substr(0, 14), "{\"events\": [\n ");
  EXPECT_NE(json.find(U8(u8"\n  {\"details\": {\"text\": \"line one,\\r\\n\\\"two\\\"\"}, "
                         u8"\"hash\": \"bbbb")),
            std::string::npos)
      << json;
  EXPECT_NE(json.find(U8(u8"\"imei\": null, \"kind\": \"note\", \"operator\": \"Анна\"")),
            std::string::npos)
      << json;
  EXPECT_EQ(json.substr(json.size() - 5), "}\n]}\n");
  EXPECT_EQ(nlohmann::json::parse(json)["events"][0]["seq"], 1);

  const std::string csv = RecordsCsv({first, second});
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "seq,time,imei,port,station,operator,version,kind,details,hash");
  EXPECT_NE(csv.find("\r\n2,2026-03-01T08:15:00.250Z,,/dev/ttyUSB0,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",note,\"{\"\"text\"\":\"\"line one,\\r\\n\\\"\"two\\\"\"\"\"}\","),
            std::string::npos)
      << csv;
  EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
}

TEST(LedgerExport, SinceTimeForms) {
  const std::pair<const char*, const char*> cases[] = {
      {"2026-03-01", "2026-03-01T00:00:00.000Z"},
      {"2026-03-01T08:15", "2026-03-01T08:15:00.000Z"},
      {"2026-03-01T08:15:09Z", "2026-03-01T08:15:09.000Z"},
      {"2024-02-29", "2024-02-29T00:00:00.000Z"},
      {"2026-02-29", nullptr},
      {"2026-13-01", nullptr},
      {"2026-03-01T24:00", nullptr},
      {"2026-3-1", nullptr},
      {"yesterday", nullptr},
      {"2026-03-01 08:15", nullptr},
  };
  for (const auto& [text, expected] : cases) {
    const std::optional<std::string> since = SinceTime(text);
    if (expected == nullptr)
      EXPECT_FALSE(since) << text;
    else
      EXPECT_EQ(since.value_or("(none)"), expected) << text;
  }
}

}  // namespace
}  // namespace quillon
