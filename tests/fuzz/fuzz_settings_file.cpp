// A settings file from any bytes: read, written into a fresh file, read back: every value the
// program writes reads back as it was.
#include "fuzz_target.h"
#include "profile/command_profile.h"
#include "profile/text_utils.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace {

// The comma list holds ids with commas in quotes, but an id holding a double quote has no
// form that reads back (quotes are no escape in it): a known limit of the file's format.
bool ListSurvives(const std::vector<std::string>& ids) {
  std::string joined;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i].find('"') != std::string::npos) return false;
    const bool quoted = ids[i].find(',') != std::string::npos || ids[i].empty();
    joined += (i ? "," : "") + (quoted ? "\"" + ids[i] + "\"" : ids[i]);
  }
  return quillon::SplitCsv(joined) == ids;
}

// A line break or NUL inside a value cannot stay in its line: the writer stores a blank there.
std::string Stored(std::string value) {
  for (char& c : value)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  using fuzz::Require;
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(
      "<application><page id=\"1\" name=\"A\"/><page id=\"b,c\" name=\"B\"/></application>");
  TIniFile first("/nonexistent-quillon-fuzz/Quillon.ini");
  first.LoadFromString(fuzz::Input(data, size));
  TSettings a;
  bool trueCustomerA = false;
  LoadSettings(first, profile, a, trueCustomerA);

  TIniFile second("/nonexistent-quillon-fuzz/Quillon.ini");
  second.LoadFromString(first.ToString());
  WriteSettings(second, a);
  TIniFile third("/nonexistent-quillon-fuzz/Quillon.ini");
  third.LoadFromString(second.ToString());
  TSettings b;
  bool trueCustomerB = false;
  LoadSettings(third, profile, b, trueCustomerB);

  Require(
      Stored(a.COM) == b.COM && Stored(a.Parity) == b.Parity && Stored(a.StopBits) == b.StopBits,
      "port names");
  Require(a.Speed == b.Speed && a.DataBits == b.DataBits, "line numbers");
  Require(a.Timeout == b.Timeout && a.TimeoutInterval == b.TimeoutInterval &&
              a.TimeoutEcho == b.TimeoutEcho,
          "time-outs");
  Require(Stored(a.Password) == b.Password && Stored(a.MasterPassword) == b.MasterPassword &&
              Stored(a.EffectivePassword) == b.EffectivePassword,
          "passwords");
  Require(a.ReadColorText == b.ReadColorText && a.WriteColorText == b.WriteColorText &&
              a.ReadErrorColorText == b.ReadErrorColorText &&
              a.WriteErrorColorText == b.WriteErrorColorText &&
              a.GeneralErrorColorText == b.GeneralErrorColorText,
          "colours");
  Require(a.RetryCount == b.RetryCount && a.ConnectMethod == b.ConnectMethod, "device numbers");
  Require(a.Debug == b.Debug && a.Language == b.Language && a.PortPoll == b.PortPoll &&
              trueCustomerA == trueCustomerB,
          "flags");
  Require(Stored(a.MapHost) == b.MapHost && a.FastAnswer == b.FastAnswer &&
              a.SessionLog == b.SessionLog && Stored(a.Ledger) == b.Ledger,
          "keys of this program");
  std::vector<std::string> pages;
  for (const std::string& id : a.EnabledPages) pages.push_back(Stored(id));
  if (ListSurvives(pages)) Require(pages == b.EnabledPages, "enabled pages");
  return 0;
}
