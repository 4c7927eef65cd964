// The README's two commands work as written for root on a minimal Debian (no sudo) and for a user
// who may sudo: scripts/install-deps.sh, which both run first, elevates apt-get only, and only
// when it is not root. Run here with stand-ins for id, sudo, dpkg-query and apt-get that record
// what they were asked; nothing is installed.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/ToolProcess.h"
#include "support/TempDir.h"

namespace tessarine::test {
namespace {

const std::filesystem::path kSource = TESSARINE_SOURCE_DIR;

TEST(Readme, StartsWithTheTwoCommandsWithoutSudo) {
  const std::string readme = ReadFile(kSource / "README.md");
  EXPECT_EQ(readme.rfind("# Tessarine PRO\n\n```\nscripts/run.sh\nscripts/test.sh\n```\n", 0), 0u)
      << readme.substr(0, 80);
  // CI runs the second one, as a user of a clean clone would.
  EXPECT_NE(ReadFile(kSource / ".ci" / "run").find("\nexec scripts/test.sh\n"), std::string::npos);
}

class InstallDeps : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_bin);
    // The real tools the script needs, and nothing else of the system's PATH (no real sudo).
    for (const char* tool : {"bash", "dirname", "grep", "cat"}) {
      const std::string found = RunTool("command -v", tool, ToolStderr::Drop).out;
      std::filesystem::create_symlink(found.substr(0, found.find('\n')), m_bin / tool);
    }
    Stub("id", R"(case "$1" in -u) echo "$FAKE_UID";; -un) echo tester;; esac)");
    Stub("dpkg-query", R"(for p in $FAKE_MISSING; do [ "$p" = "${@: -1}" ] && exit 1; done
printf 'install ok installed')");
    Stub("apt-get", R"(echo "apt-get elevated=${ELEVATED:-0} $*" >>"$LOG"; [ -z "${FAKE_APT_FAILS:-}" ])");
    for (const char* tool : {"tee", "chmod", "rm"}) Stub(tool, std::string("echo \"") + tool + " $*\" >>\"$LOG\"");
  }

  void Stub(const std::string& name, const std::string& body) {
    WriteFile(m_bin / name, "#!" + (m_bin / "bash").string() + "\n" + body + "\n");
    ::chmod((m_bin / name).c_str(), 0755);
  }
  void GiveSudo() { Stub("sudo", R"(echo "sudo $*" >>"$LOG"; ELEVATED=1 exec "$@")"); }

  // The script under a clean environment: the stand-ins' PATH and the given variables.
  ToolRun Run(const std::string& variables) {
    return RunTool("env", "-i PATH='" + m_bin.string() + "' LOG='" + m_log.string() + "' " + variables + " '" +
                              (kSource / "scripts" / "install-deps.sh").string() + "'");
  }
  std::string Log() const { return ReadFile(m_log); }

  TempDir m_dir;
  std::filesystem::path m_bin = m_dir / "bin";
  std::filesystem::path m_log = m_dir / "log";
};

TEST_F(InstallDeps, AUserInstallsTheMissingPackagesThroughSudo) {
  GiveSudo();
  const ToolRun run = Run("FAKE_UID=1000 FAKE_MISSING='cmake sqlite3'");
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string log = Log();
  EXPECT_NE(log.find("sudo apt-get update -qq\napt-get elevated=1 update -qq\n"), std::string::npos) << log;
  EXPECT_NE(log.find("sudo apt-get install -y -qq --no-install-recommends cmake sqlite3\n"
                     "apt-get elevated=1 install -y -qq --no-install-recommends cmake sqlite3\n"),
            std::string::npos)
      << log;
}

TEST_F(InstallDeps, RootInstallsThemWithoutSudoEvenWhereThereIsNone) {
  const ToolRun run = Run("FAKE_UID=0 FAKE_MISSING='sqlite3'");
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string log = Log();
  EXPECT_EQ(log.find("sudo"), std::string::npos) << log;
  EXPECT_NE(log.find("apt-get elevated=0 install -y -qq --no-install-recommends sqlite3\n"), std::string::npos) << log;
}

TEST_F(InstallDeps, AUserWithoutSudoIsToldToRunAsRootAndNothingRuns) {
  const ToolRun run = Run("FAKE_UID=1000 FAKE_MISSING='cmake'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("run this as root"), std::string::npos) << run.out;
  EXPECT_EQ(Log(), "");
}

TEST_F(InstallDeps, NothingMissingAsksForNothing) {
  GiveSudo();
  const ToolRun run = Run("FAKE_UID=1000 FAKE_MISSING=");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("packages present"), std::string::npos) << run.out;
  EXPECT_EQ(Log(), "");
}

TEST_F(InstallDeps, AFailedInstallationEndsWithItsFailure) {
  GiveSudo();
  const ToolRun run = Run("FAKE_UID=1000 FAKE_MISSING='cmake' FAKE_APT_FAILS=1");
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out.find("install-deps: installed"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tessarine::test
