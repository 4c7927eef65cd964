#include "core/NoFollowFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/TempDir.h"

namespace tessarine {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(NoFollowFile, APlantedLinkIsRefusedAndItsTargetNeverChanges) {
  enum class Target { File, Folder, Missing };
  enum class Call { CreateNew, Overwrite, OpenOwnFolder };
  // Every target under every call: a new file finds the name taken, the others a link.
  for (const Target target : {Target::File, Target::Folder, Target::Missing}) {
    for (const Call call : {Call::CreateNew, Call::Overwrite, Call::OpenOwnFolder}) {
      TempDir dir;
      std::filesystem::create_directory(dir / "victim");
      WriteFile(dir / "victim" / "small.jpg", "precious");
      const std::filesystem::path to = target == Target::File     ? dir / "victim" / "small.jpg"
                                       : target == Target::Folder ? dir / "victim"
                                                                  : dir / "nowhere";
      std::filesystem::create_symlink(to, dir / "planted");
      const FileDescriptor folder = OpenFolder(dir.path(), FolderLinks::Follow);
      ASSERT_TRUE(folder);
      const FileDescriptor opened = call == Call::CreateNew ? CreateNewFile(folder.Get(), "planted", 0644)
                                    : call == Call::Overwrite
                                        ? OpenToOverwrite(folder.Get(), "planted", 0644)
                                        : OpenFolder(dir / "planted", FolderLinks::Refuse, true);
      const std::string what = to.string() + " call " + std::to_string(static_cast<int>(call));
      EXPECT_FALSE(opened) << what;
      EXPECT_EQ(opened.Error(), call == Call::CreateNew ? EEXIST : ELOOP) << what;
      EXPECT_TRUE(std::filesystem::is_symlink(dir / "planted")) << what;
      EXPECT_EQ(ReadFile(dir / "victim" / "small.jpg"), "precious") << what;
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "victim"), {}), 1) << what;
      EXPECT_FALSE(std::filesystem::exists(dir / "nowhere")) << what;
    }
  }
}

TEST(NoFollowFile, ContentIsReadableByAllLessTheUmaskAndNeverMoreThanItsFolder) {
  const struct {
    mode_t umask, folder, expected;
  } cases[] = {
      {022, 0755, 0644}, {077, 0755, 0600}, {022, 0700, 0600}, {022, 0750, 0640}, {002, 0775, 0644},
  };
  for (const auto& c : cases) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), c.folder), 0);
    const mode_t before = ::umask(c.umask);
    const FileDescriptor folder = OpenFolder(dir.path(), FolderLinks::Refuse);
    const FileDescriptor created = CreateNewFile(folder.Get(), "new.jpg", ContentModeIn(folder.Get()));
    const int replaced = ReplaceFile(folder.Get(), "whole.csv", ContentModeIn(folder.Get()), ModeRule::LessUmask,
                                     [](int fd) { return WriteAll(fd, "a,b\r\n"); });
    ::umask(before);
    ASSERT_TRUE(created);
    ASSERT_EQ(replaced, 0);
    for (const char* name : {"new.jpg", "whole.csv"}) {
      struct stat made {};
      ASSERT_EQ(::stat((dir / name).c_str(), &made), 0);
      EXPECT_EQ(made.st_mode & 07777, c.expected) << name << std::oct << " umask " << c.umask << " folder " << c.folder;
    }
    EXPECT_EQ(ReadFile(dir / "whole.csv"), "a,b\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temporary left
  }
}

}  // namespace
}  // namespace tessarine
