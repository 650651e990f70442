// The station's identity: made once, kept private, the same for every program that starts at
// the same moment, never replaced when damaged; and its signatures.
#include "ledger/station_identity.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <set>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(StationIdentity, MadeOnceThenLoaded) {
  test::TempDir dir;
  const std::string folder = dir.File("config/Quillon/");
  std::string error;
  const std::optional<TStationIdentity> made = TStationIdentity::LoadOrCreate(folder, error);
  ASSERT_TRUE(made) << error;
  const std::string file = folder + TStationIdentity::kFileName;
  EXPECT_EQ(ModeOf(file), 0600u);
  EXPECT_EQ(ModeOf(dir.File("config")), 0700u) << "folders made for it are private too";
  EXPECT_TRUE(std::regex_match(made->Id(), std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-"
                                                      "[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
      << made->Id();
  EXPECT_TRUE(std::regex_match(made->Fingerprint(), std::regex("SHA256:[A-Za-z0-9+/]{43}")))
      << made->Fingerprint();

  const std::string bytes = test::ReadFile(file);
  const std::optional<TStationIdentity> again = TStationIdentity::LoadOrCreate(folder, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->Id(), made->Id());
  EXPECT_EQ(again->PublicKey(), made->PublicKey());
  EXPECT_EQ(again->Sign("record"), made->Sign("record")) << "Ed25519 signs deterministically";
  EXPECT_EQ(test::ReadFile(file), bytes) << "loading never rewrites the file";

  test::TempDir other;
  const std::optional<TStationIdentity> second =
      TStationIdentity::LoadOrCreate(other.path() + "/", error);
  ASSERT_TRUE(second) << error;
  EXPECT_NE(second->Id(), made->Id());
  EXPECT_NE(second->Fingerprint(), made->Fingerprint());
}

TEST(StationIdentity, SignaturesProveTheSignerAndTheBytes) {
  test::TempDir dir, otherDir;
  std::string error;
  const auto station = TStationIdentity::LoadOrCreate(dir.path() + "/", error);
  const auto other = TStationIdentity::LoadOrCreate(otherDir.path() + "/", error);
  ASSERT_TRUE(station && other) << error;
  const std::string record = "{\"verdict\":\"accepted\"}";
  const std::string signature = station->Sign(record);
  ASSERT_EQ(signature.size(), TStationIdentity::kSignatureSize);
  EXPECT_TRUE(TStationIdentity::Verify(station->PublicKey(), record, signature));

  std::string flipped = signature;
  flipped[10] = static_cast<char>(flipped[10] ^ 1);
  const struct {
    const char* what;
    const TStationIdentity::TPublicKey& key;
    std::string message, signature;
  } refused[] = {
      {"a changed record", station->PublicKey(), "{\"verdict\":\"rejected\"}", signature},
      {"a changed signature", station->PublicKey(), record, flipped},
      {"another station's key", other->PublicKey(), record, signature},
      {"a cut signature", station->PublicKey(), record, signature.substr(0, 63)},
      {"no signature", station->PublicKey(), record, ""},
  };
  for (const auto& c : refused)
    EXPECT_FALSE(TStationIdentity::Verify(c.key, c.message, c.signature)) << c.what;

  // The key as records carry it reads back, and names the same fingerprint.
  const auto key = TStationIdentity::PublicKeyFromText(station->PublicKeyText());
  ASSERT_TRUE(key);
  EXPECT_EQ(TStationIdentity::FingerprintOf(*key), station->Fingerprint());
  EXPECT_FALSE(TStationIdentity::PublicKeyFromText("not base64"));
  EXPECT_FALSE(TStationIdentity::PublicKeyFromText(station->PublicKeyText().substr(4)));
}

// A damaged key file is reported and left alone: replacing it would silently give the station
// another identity, and records signed before could no longer be traced to it.
TEST(StationIdentity, DamagedFileIsRefusedNotReplaced) {
  test::TempDir source;
  std::string error;
  ASSERT_TRUE(TStationIdentity::LoadOrCreate(source.path() + "/", error)) << error;
  const std::string good = test::ReadFile(source.File(TStationIdentity::kFileName));
  test::TempDir otherSource;
  const auto other = TStationIdentity::LoadOrCreate(otherSource.path() + "/", error);
  ASSERT_TRUE(other) << error;
  const size_t publicAt = good.find("public=") + 7;
  const std::string otherKey = std::string(good).replace(
      publicAt, good.find('\n', publicAt) - publicAt, other->PublicKeyText());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    return at == std::string::npos ? std::string("(no ") + from + ")"
                                   : text.replace(at, from.size(), to);
  };
  const struct {
    const char* what;
    std::string text;
    const char* says;
  } cases[] = {
      {"empty", "", "damaged"},
      {"no seed", replaced("seed=", "s="), "damaged"},
      {"seed not hex", replaced("seed=", "seed=zz"), "damaged"},
      {"a short seed", replaced("\nseed=", "\nseed=00"), "damaged"},
      {"a public key not of the seed", otherKey, "does not belong"},
      {"a public key cut", replaced("public=", "public=AAAA"), "damaged"},
      {"not ours", std::string(5000, 'x'), "too large"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    const std::string file = dir.Write(TStationIdentity::kFileName, c.text);
    error.clear();
    EXPECT_FALSE(TStationIdentity::LoadOrCreate(dir.path() + "/", error)) << c.what;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(test::ReadFile(file), c.text) << c.what;
  }
}

// Eight programs making the identity at the same moment all end with one and the same, and no
// temporary file is left behind.
TEST(StationIdentity, ProgramsStartingAtOnceShareOneIdentity) {
  test::TempDir dir;
  const std::string folder = dir.path() + "/";
  const std::vector<test::TChildResult> children = test::RunChildren(8, [&](int) {
    std::string error;
    const auto identity = TStationIdentity::LoadOrCreate(folder, error);
    return identity ? identity->Id() + " " + identity->Fingerprint() : "error: " + error;
  });
  ASSERT_EQ(children.size(), 8u);
  std::set<std::string> seen;
  for (const test::TChildResult& child : children) {
    EXPECT_TRUE(child.Exited());
    EXPECT_EQ(child.Out.find("error"), std::string::npos) << child.Out;
    seen.insert(child.Out);
  }
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{TStationIdentity::kFileName});
  std::string error;
  const auto identity = TStationIdentity::LoadOrCreate(folder, error);
  ASSERT_TRUE(identity) << error;
  EXPECT_EQ(*seen.begin(), identity->Id() + " " + identity->Fingerprint());
}

}  // namespace
}  // namespace quillon
