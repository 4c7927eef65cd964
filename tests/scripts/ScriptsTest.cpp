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

TEST(InstallDeps, ElevatesAptGetOnlyWhenNotRootAndAsksOnlyForWhatIsMissing) {
  TempDir dir;
  const std::filesystem::path bin = dir / "bin";
  const std::filesystem::path log = dir / "log";
  std::filesystem::create_directories(bin);
  // The real tools the script needs, and nothing else of the system's PATH (no real sudo).
  for (const char* tool : {"bash", "dirname", "grep", "cat"}) {
    const std::string found = RunTool("command -v", tool, ToolStderr::Drop).out;
    std::filesystem::create_symlink(found.substr(0, found.find('\n')), bin / tool);
  }
  const auto stub = [&bin](const std::string& name, const std::string& body) {
    WriteFile(bin / name, "#!" + (bin / "bash").string() + "\n" + body + "\n");
    ::chmod((bin / name).c_str(), 0755);
  };
  stub("id", R"(case "$1" in -u) echo "$FAKE_UID";; -un) echo tester;; esac)");
  stub("dpkg-query", R"(for p in $FAKE_MISSING; do [ "$p" = "${@: -1}" ] && exit 1; done
printf 'install ok installed')");
  stub("apt-get", R"(echo "apt-get elevated=${ELEVATED:-0} $*" >>"$LOG"; [ -z "${FAKE_APT_FAILS:-}" ])");
  for (const char* tool : {"tee", "chmod", "rm"}) stub(tool, std::string("echo \"") + tool + " $*\" >>\"$LOG\"");

  struct Case {
    bool sudo;              // a sudo stand-in on the PATH
    const char* variables;  // the uid, the packages missing, whether apt-get fails
    int status;
    const char* said;
    const char* logged;  // in the log of what was run; "" for an empty log
  };
  const Case cases[] = {
      {true, "FAKE_UID=1000 FAKE_MISSING='cmake sqlite3'", 0, "install-deps: installed cmake sqlite3",
       "sudo apt-get install -y -qq --no-install-recommends cmake sqlite3\n"
       "apt-get elevated=1 install -y -qq --no-install-recommends cmake sqlite3\n"},
      // Root needs no sudo, even where there is none.
      {false, "FAKE_UID=0 FAKE_MISSING='sqlite3'", 0, "install-deps: installed sqlite3",
       "apt-get elevated=0 install -y -qq --no-install-recommends sqlite3\n"},
      {false, "FAKE_UID=1000 FAKE_MISSING='cmake'", 1, "run this as root", ""},
      {true, "FAKE_UID=1000 FAKE_MISSING=", 0, "packages present", ""},
      {true, "FAKE_UID=1000 FAKE_MISSING='cmake' FAKE_APT_FAILS=1", 1, "", "apt-get elevated=1 update -qq\n"}};
  for (const Case& c : cases) {
    std::filesystem::remove(log);
    std::filesystem::remove(bin / "sudo");
    if (c.sudo) stub("sudo", R"(echo "sudo $*" >>"$LOG"; ELEVATED=1 exec "$@")");
    // The script under a clean environment: the stand-ins' PATH and the case's variables.
    const ToolRun run = RunTool("env", "-i PATH='" + bin.string() + "' LOG='" + log.string() + "' " + c.variables +
                                           " '" + (kSource / "scripts" / "install-deps.sh").string() + "'");
    EXPECT_EQ(run.status, c.status) << c.variables << ": " << run.out;
    EXPECT_NE(run.out.find(c.said), std::string::npos) << c.variables << ": " << run.out;
    // "installed" is said only once the packages are.
    EXPECT_EQ(run.out.find("installed ") != std::string::npos, std::string(c.said).find("installed ") != std::string::npos);
    const std::string logged = ReadFile(log);
    EXPECT_TRUE(*c.logged ? logged.find(c.logged) != std::string::npos : logged.empty()) << c.variables << ": " << logged;
  }
}

}  // namespace
}  // namespace tessarine::test
