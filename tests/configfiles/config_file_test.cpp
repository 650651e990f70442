// The compressed layer and the files on disk: size bounds on both sides, damaged streams, and
// saves that must never leave a broken file where a good one was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "configfiles/bounded_inflater.h"
#include "configfiles/config_file.h"
#include "configfiles/config_fixture.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::Command;
using testing::Instance;
using testing::MixedProfile;
using testing::Param;
using testing::ProfileFromXml;

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// A document that sets +PLN [4] to "set", padded with a comment to exactly size bytes.
std::string DocumentOfSize(size_t size) {
  const std::string head = Command("+PLN", Instance(0, Param(4, "set"))) + "<!--";
  return head + std::string(size - head.size() - 3, 'x') + "-->";
}

TEST(ConfigFile, ReadsATextOfExactlyTheLimitAndRefusesOneByteMore) {
  const CommandProfile profile = MixedProfile();
  for (const size_t size : {kMaxConfigurationText, kMaxConfigurationText + 1}) {
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    const TLoadResult r =
        LoadConfigurationFromBuffer(profile, editor, DeflateBest(DocumentOfSize(size)), messages);
    if (size == kMaxConfigurationText) {
      EXPECT_EQ(r.Outcome, loLoaded);
      EXPECT_EQ(editor.InputText(0, 0, 0, 4), "set");
      EXPECT_TRUE(messages.Empty());
    } else {
      EXPECT_EQ(r.Outcome, loTooLarge);
      EXPECT_EQ(editor.InputText(0, 0, 0, 4), "");  // nothing changed
      EXPECT_EQ(messages.Lines(), std::vector<std::string>{"Входной файл слишком велик"});
    }
  }
}

TEST(ConfigFile, DoesNotWriteAConfigurationTooLargeToBeLoadedBack) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="P">
    <command command="+BIG" maxindex="255" exportdata="1"><parameter type="string" optional="0"/>
    </command></page>)");
  THeadlessEditor editor(profile);
  for (int i = 0; i < 255; ++i) editor.SetInputText(0, 0, i, 0, std::string(5000, 'v'));
  TConfigMessages messages;
  std::string data;
  EXPECT_FALSE(SaveConfigurationToBuffer(profile, editor, data, messages));
  EXPECT_TRUE(data.empty());
  ASSERT_EQ(messages.Lines().size(), 1u);
  EXPECT_NE(messages.Lines()[0].find("1048576"), std::string::npos);

  test::TempDir dir;
  const std::string path = dir.path() + "/big.zxml";
  WriteFile(path, "earlier");
  EXPECT_FALSE(SaveConfigurationToFile(profile, editor, path, messages));
  EXPECT_EQ(ReadFile(path), "earlier");
}

// A zlib stream of many zeros, compressed without holding them all.
std::string ZerosStream(size_t count) {
  z_stream z{};
  deflateInit(&z, Z_BEST_COMPRESSION);
  const std::string zeros(1 << 20, '\0');
  std::string out;
  char buffer[1 << 16];
  for (size_t left = count;;) {
    const size_t n = std::min(left, zeros.size());
    left -= n;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    z.avail_in = static_cast<uInt>(n);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    int rc;
    do {
      z.next_out = reinterpret_cast<Bytef*>(buffer);
      z.avail_out = sizeof buffer;
      rc = deflate(&z, flush);
      out.append(buffer, sizeof buffer - z.avail_out);
    } while (z.avail_out == 0);
    if (rc == Z_STREAM_END) break;
  }
  deflateEnd(&z);
  return out;
}

TEST(ConfigFile, AZipBombNeverInflatesPastTheBound) {
  const std::string bomb = ZerosStream(size_t{64} << 20);  // 64 MiB in about 64 KiB
  ASSERT_LT(bomb.size(), 1u << 20);
  size_t counted = 0, largest = 0;
  TBoundedInflater inflater(kMaxConfigurationText, [&](const char*, size_t size) {
    counted += size;
    largest = std::max(largest, size);
  });
  EXPECT_EQ(inflater.Feed(bomb.data(), bomb.size()), TBoundedInflater::isTooLarge);
  EXPECT_EQ(inflater.Finish(), TBoundedInflater::isTooLarge);
  EXPECT_GT(counted, kMaxConfigurationText);
  EXPECT_LE(counted, kMaxConfigurationText + 1024);
  EXPECT_LE(largest, 1024u);

  // And through the loader, from a file.
  test::TempDir dir;
  const std::string path = dir.path() + "/bomb.zxml";
  WriteFile(path, bomb);
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  EXPECT_EQ(LoadConfigurationFromFile(profile, editor, path, messages).Outcome, loTooLarge);
  EXPECT_EQ(messages.Lines(), std::vector<std::string>{"Входной файл слишком велик"});
}

// Bytes that are not a whole zlib stream change nothing and log nothing; the error box gets
// "Error" and what is wrong.
TEST(ConfigFile, RefusesCutAndDamagedStreamsWithoutChangingAnything) {
  const CommandProfile profile = MixedProfile();
  const std::string good = DeflateBest(
      testing::Document(Command("+PLN", Instance(0, Param(4, "set") + Param(0, "77", "0")))));
  std::string badSum = good;
  badSum.back() ^= 1;
  std::string badData = good;
  badData[good.size() / 2] ^= 0x55;
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"header only", good.substr(0, 2)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"checksum cut off", good.substr(0, good.size() - 4)},
      {"one byte short", good.substr(0, good.size() - 1)},
      {"wrong checksum", badSum},
      {"damaged data", badData},
      {"not zlib", "<?xml version=\"1.0\"?><Quillon/>"},
      {"raw deflate without header", good.substr(2)},
  };
  for (const auto& [name, data] : cases) {
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    const TLoadResult r = LoadConfigurationFromBuffer(profile, editor, data, messages);
    EXPECT_EQ(r.Outcome, loCorrupt) << name;
    EXPECT_EQ(r.Error.rfind("Error", 0), 0u) << name << ": " << r.Error;
    EXPECT_GT(r.Error.size(), 7u) << name;
    EXPECT_TRUE(messages.Empty()) << name;
    EXPECT_EQ(editor.InputText(0, 0, 0, 4), "") << name;
    EXPECT_TRUE(editor.Checked(0, 0, 0, 0)) << name;
    EXPECT_EQ(editor.InputText(0, 0, 0, 0), "10") << name;
  }
}

TEST(ConfigFile, AcceptsAnyLevelAndIgnoresDataAfterTheStream) {
  const CommandProfile profile = MixedProfile();
  const std::string xml = Command("+PLN", Instance(0, Param(4, "set")));
  uLongf size = compressBound(static_cast<uLong>(xml.size()));
  std::string fast(size, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(fast.data()), &size,
                      reinterpret_cast<const Bytef*>(xml.data()), xml.size(), 1),
            Z_OK);
  fast.resize(size);
  for (const std::string& data : {fast, DeflateBest(xml) + "trailing junk"}) {
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    EXPECT_EQ(LoadConfigurationFromBuffer(profile, editor, data, messages).Outcome, loLoaded);
    EXPECT_EQ(editor.InputText(0, 0, 0, 4), "set");
  }
}

TEST(ConfigFile, SavesAndLoadsThroughFiles) {
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  editor.SetInputText(0, 1, 1, 0, "Второй");
  test::TempDir dir;
  const std::string path = dir.path() + "/a.zxml";
  TConfigMessages messages;
  ASSERT_TRUE(SaveConfigurationToFile(profile, editor, path, messages));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.zxml"});  // no temporary file left
  EXPECT_EQ((fs::status(path).permissions() & fs::perms::all), static_cast<fs::perms>(0666 & ~[] {
              const mode_t m = umask(0);
              umask(m);
              return m;
            }()));
  THeadlessEditor loaded(profile);
  EXPECT_EQ(LoadConfigurationFromFile(profile, loaded, path, messages).Outcome, loLoaded);
  EXPECT_EQ(loaded.InputText(0, 1, 1, 0), "Второй");
  EXPECT_TRUE(messages.Empty());
}

TEST(ConfigFile, ReportsAFileThatCannotBeOpened) {
  const CommandProfile profile = MixedProfile();
  test::TempDir dir;
  for (const std::string& path : {dir.path() + "/missing.zxml", dir.path()}) {
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    EXPECT_EQ(LoadConfigurationFromFile(profile, editor, path, messages).Outcome, loNotOpened);
    ASSERT_EQ(messages.Lines().size(), 1u);
    EXPECT_EQ(messages.Lines()[0].rfind("Не могу открыть файл, ошибка=", 0), 0u);
    EXPECT_GT(messages.Lines()[0].size(), std::string("Не могу открыть файл, ошибка=").size());
  }
}

class AtomicSave : public ::testing::Test {
 protected:
  bool Save(const std::string& path, TConfigMessages& messages) {
    return SaveConfigurationToFile(profile_, editor_, path, messages);
  }
  static bool IsCreateFailure(const TConfigMessages& messages) {
    return messages.Lines().size() == 1 &&
           messages.Lines()[0].rfind("Не могу создать файл, ошибка=", 0) == 0;
  }
  CommandProfile profile_ = MixedProfile();
  THeadlessEditor editor_{profile_};
  test::TempDir dir_;
};

TEST_F(AtomicSave, AFolderInTheWayOrAMissingFolderChangeNothing) {
  fs::create_directory(dir_.path() + "/folder.zxml");
  for (const std::string& path : {dir_.path() + "/folder.zxml", dir_.path() + "/no/such.zxml"}) {
    TConfigMessages messages;
    EXPECT_FALSE(Save(path, messages)) << path;
    EXPECT_TRUE(IsCreateFailure(messages)) << path;
  }
  EXPECT_TRUE(fs::is_directory(dir_.path() + "/folder.zxml"));
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"folder.zxml"});
}

TEST_F(AtomicSave, AFullDiskKeepsTheEarlierFile) {
  const std::string path = dir_.path() + "/kept.zxml";
  WriteFile(path, "earlier contents");
  // A file size limit makes the write fail as a full disk would, for root too.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit tight = old;
  tight.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &tight);
  TConfigMessages messages;
  const bool saved = Save(path, messages);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(IsCreateFailure(messages));
  EXPECT_EQ(ReadFile(path), "earlier contents");
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"kept.zxml"});
}

TEST_F(AtomicSave, AReadOnlyFolderKeepsTheEarlierFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string sub = dir_.path() + "/ro";
  fs::create_directory(sub);
  WriteFile(sub + "/kept.zxml", "earlier contents");
  fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
  TConfigMessages messages;
  EXPECT_FALSE(Save(sub + "/kept.zxml", messages));
  EXPECT_TRUE(IsCreateFailure(messages));
  EXPECT_EQ(ReadFile(sub + "/kept.zxml"), "earlier contents");
}

TEST_F(AtomicSave, ReplacesWhatALinkPointsToAndKeepsThePermissions) {
  const std::string real = dir_.path() + "/real.zxml";
  const std::string link = dir_.path() + "/link.zxml";
  WriteFile(real, "old");
  fs::permissions(real, static_cast<fs::perms>(0640));
  fs::create_symlink("real.zxml", link);
  TConfigMessages messages;
  ASSERT_TRUE(Save(link, messages));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real.zxml");
  EXPECT_EQ(static_cast<unsigned char>(ReadFile(real)[0]), 0x78);
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, static_cast<fs::perms>(0640));
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"link.zxml", "real.zxml"}));
}

}  // namespace
}  // namespace quillon
