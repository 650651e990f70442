// What the program says about a port failure: which group a user may join, and the causes it
// names for a question about the port.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "link/port_diagnosis.h"
#include "support/temp_dir.h"

namespace quillon::test {
namespace {

// A group is named only when it is meant for serial ports and may read and write the node;
// otherwise the remedy is the administrator. Each case is a node made with that group and mode.
TEST(PortDiagnosisTest, AccessRemedyNamesOnlyASerialGroupThatMayReadAndWrite) {
  struct TCase {
    const char* Group;
    mode_t Mode;
    bool Named;
  };
  const TCase cases[] = {
      {"dialout", 0660, true},  {"uucp", 0660, true},
      {"plugdev", 0660, true},  {"dialout", 0640, false},  // the group may not write
      {"dialout", 0600, false}, {"tty", 0660, false},
      {"root", 0660, false},    {"disk", 0660, false},
  };
  TempDir dir;
  for (const TCase& c : cases) {
    const group* g = getgrnam(c.Group);
    if (!g) continue;  // not every system has every group
    const std::string node = dir.path() + "/ttyTEST-" + c.Group + std::to_string(c.Mode);
    std::ofstream(node).put('x');
    if (chown(node.c_str(), static_cast<uid_t>(-1), g->gr_gid) != 0)
      GTEST_SKIP() << "cannot give a file to another group: " << std::strerror(errno);
    ASSERT_EQ(chmod(node.c_str(), c.Mode), 0);
    const std::string remedy = PortAccessRemedy(node);
    if (c.Named)
      EXPECT_EQ(remedy, std::string("пользователь не входит в группу ") + c.Group +
                            ", которой открыт порт: sudo usermod -aG " + c.Group +
                            " $USER, затем войдите в систему заново")
          << c.Group << " " << std::oct << c.Mode;
    else
      EXPECT_EQ(remedy, "попросите администратора открыть вашему пользователю доступ к " + node)
          << c.Group << " " << std::oct << c.Mode;
  }
  EXPECT_EQ(
      PortAccessRemedy(dir.path() + "/none"),
      "попросите администратора открыть вашему пользователю доступ к " + dir.path() + "/none");
}

TEST(PortDiagnosisTest, CausesAreTheProgramsWordsOrTheSystemsReason) {
  EXPECT_EQ(PortFailureCause("/dev/ttyUSB0", EIO), "устройство пропало (отключено?)");
  EXPECT_EQ(PortFailureCause("/dev/ttyUSB0", ENODEV),
            "устройство не подключено или имя порта указано неверно");
  EXPECT_EQ(PortFailureCause("/dev/ttyUSB0", EINVAL), std::strerror(EINVAL));
  EXPECT_TRUE(PortFailureNeedsOperator(EACCES));
  EXPECT_TRUE(PortFailureNeedsOperator(EPERM));
  EXPECT_FALSE(PortFailureNeedsOperator(EIO));
  EXPECT_FALSE(PortFailureNeedsOperator(ENOENT));
}

}  // namespace
}  // namespace quillon::test
