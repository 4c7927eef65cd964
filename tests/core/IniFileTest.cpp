#include "core/IniFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "core/FileSystemFaults.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

TEST(IniFile, ReadsNamesWithoutRegardToCaseAndValuesWithoutTheirSurroundingBlanks) {
  const struct {
    std::string text, section, key, expected;
  } cases[] = {
      {"[connection]\ndsn=Pictures\n[Database]\nIMAGES=Pics\n", "DATABASE", "Images", "Pics"},
      {"[connection]\ndsn=Pictures\n[Database]\nIMAGES=Pics\n", "Database", "DSN", ""},  // a key of another section
      {"  [ Metadata ]  \r\n\t OnlyIPTC \t=\t 1 \t\r\n", "Metadata", "OnlyIPTC", "1"},
      {"[C]\nPassword= a=b; c \n", "C", "Password", "a=b; c"},  // inner blanks and later "=" stay
      {"\xEF\xBB\xBF[Connection]\r\nDSN=Pictures\r\n", "Connection", "DSN", "Pictures"},  // a byte order mark
      // Cut after 254 characters, never within one: 253 letters and a two-byte é make 254.
      {"[S]\nK=" + std::string(300, 'x') + "\n", "S", "K", std::string(kMaxSettingLength, 'x')},
      {"[S]\nK=" + std::string(253, 'a') + "\xC3\xA9\xC3\xA9", "S", "K", std::string(253, 'a') + "\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadSettingFromText(c.text, c.section, c.key), c.expected) << c.text;
}

TEST(IniFile, WritesAKeyOnItsOwnLineAtTheEndOfItsSectionAndLeavesEveryOtherByte) {
  const struct {
    std::string text, section, key, value, expected;
  } cases[] = {
      {"; my comment\r\n[Connection]\r\nDSN = old\r\nLogin=me\r\ngarbage line\r\n", "connection", "dsn", "new",
       "; my comment\r\n[Connection]\r\ndsn=new\r\nLogin=me\r\ngarbage line\r\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "B", "z", "3", "[A]\nx=1\n\n[B]\ny=2\nz=3\n"},
      {"", "Connection", "Password", "", "[Connection]\nPassword=\n"},
      {"[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
      {"\xEF\xBB\xBF[A]\nx=1\n", "a", "X", "2", "\xEF\xBB\xBF[A]\nX=2\n"},
      {"", "S", "K", "a\nb\r\n[Evil]", "[S]\nK=a b  [Evil]\n"},  // line breaks kept off the file's lines
  };
  for (const auto& c : cases) EXPECT_EQ(WriteSettingToText(c.text, c.section, c.key, c.value), c.expected) << c.text;
}

// The first write creates the file and its folder. A write replaces the whole file, or leaves it
// as it was when it fails on the way (a full disk; here the size limit); nothing stays beside it.
TEST(IniFile, AWriteCreatesOrReplacesTheWholeFileOrLeavesItAsItWas) {
  test::TempDir dir;
  const auto file = dir / "sub" / "Tessarine PRO.ini";
  EXPECT_EQ(ReadSetting(file, "Connection", "DSN"), "");
  ASSERT_TRUE(WriteSetting(file, "Connection", "DSN", "Pictures"));
  ASSERT_TRUE(WriteSettings(file, "Connection", {{"Login", "scan"}, {"DSN", "Other"}}));
  EXPECT_EQ(ReadSetting(file, "Connection", "DSN"), "Other");
  EXPECT_EQ(ReadSetting(file, "Connection", "Login"), "scan");
  EXPECT_FALSE(WriteSetting(file / "settings.ini", "S", "K", "v"));  // under a file, not a folder

  const std::string before = test::ReadFile(file);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit usual = limit;
  limit.rlim_cur = before.size() + 8;
  const auto handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool written = WriteSetting(file, "Connection", "Password", std::string(100, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &usual);
  ::signal(SIGXFSZ, handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(test::ReadFile(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), {}), 1);
}

// The settings file holds the database password: a new one is its owner's only, whatever the umask,
// and an existing one keeps its own mode through every write. A settings file that is a link is the
// user's: the file it leads to is written, with its mode, and the link stays. One that is there but
// cannot be read says why and is never written.
TEST(IniFile, KeepsAFilesModeWritesThroughALinkAndNeverWritesAFileItCannotRead) {
  enum class Setup { Nothing, File, LinkToFile, LinkToNothing, Unreadable, LinkToUnreadable };
  const struct {
    Setup setup;
    bool written;
    mode_t targetMode;
  } cases[] = {
      {Setup::Nothing, true, 0600},       {Setup::File, true, 0400},        {Setup::LinkToFile, true, 0640},
      {Setup::LinkToNothing, true, 0600}, {Setup::Unreadable, false, 0600}, {Setup::LinkToUnreadable, false, 0644},
  };
  const mode_t umaskBefore = ::umask(0);
  for (const auto& c : cases) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "elsewhere");
    const std::filesystem::path target = dir / "elsewhere" / "mine.ini";
    const bool linked =
        c.setup == Setup::LinkToFile || c.setup == Setup::LinkToNothing || c.setup == Setup::LinkToUnreadable;
    const std::filesystem::path file = linked ? dir / "Tessarine PRO.ini" : target;
    const std::string before = "[Connection]\nDSN=Pictures\nPassword=secret\n";
    const bool existed = c.setup != Setup::Nothing && c.setup != Setup::LinkToNothing;
    if (existed) {
      test::WriteFile(target, before);
      ASSERT_EQ(::chmod(target.c_str(), c.targetMode), 0);
    }
    if (linked) std::filesystem::create_symlink("elsewhere/mine.ini", file);
    static std::string s_unreadable;
    s_unreadable = c.setup == Setup::Unreadable || c.setup == Setup::LinkToUnreadable ? file.native() : "";
    SetFileSystemFaultHook([](std::string_view call, std::string_view path) {
      return call == "open settings" && path == s_unreadable ? EACCES : 0;
    });
    const bool written = WriteSettings(file, "Connection", {{"DSN", "Other"}, {"Login", "me"}});
    const Expected<std::string> read = ReadIniFile(file);
    SetFileSystemFaultHook(nullptr);

    const std::string what = "case " + std::to_string(static_cast<int>(c.setup));
    EXPECT_EQ(written, c.written) << what;
    EXPECT_EQ(read.Ok(), c.written) << what;
    if (!read) {
      EXPECT_TRUE(read.Is(ErrorKind::SettingsFile));
      const std::string message = read.GetError().what();  // names the file and says why
      EXPECT_NE(message.find(file.string()), std::string::npos) << message;
      EXPECT_NE(message.find(std::strerror(EACCES)), std::string::npos) << message;
    }
    EXPECT_EQ(std::filesystem::is_symlink(file), linked) << what;
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0) << what;
    EXPECT_EQ(info.st_mode & 07777, c.targetMode) << what;
    const std::string after = test::ReadFile(target);
    if (!c.written) {
      EXPECT_EQ(after, before) << what;
    }
    EXPECT_EQ(ReadSettingFromText(after, "Connection", "DSN"), c.written ? "Other" : "Pictures") << what;
    EXPECT_EQ(ReadSettingFromText(after, "Connection", "Login"), c.written ? "me" : "") << what;
    EXPECT_EQ(ReadSettingFromText(after, "Connection", "Password"), existed ? "secret" : "") << what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "elsewhere"), {}), 1) << what;
  }
  ::umask(umaskBefore);
}

}  // namespace
}  // namespace tessarine
