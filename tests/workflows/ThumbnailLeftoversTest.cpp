// The hidden files a killed scan was writing thumbnails to are removed at the next scan of their
// folder; a file of a scan still running, any other file and a link are left alone.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine::test {
namespace {

TEST(ThumbnailLeftovers, OnlyThoseOfAScanThatEndedGo) {
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const std::string gone = std::to_string(ended);
  const std::string running = std::to_string(::getpid());

  TempDir dir;
  const std::filesystem::path thumbs = dir / "_thumbs_";
  std::filesystem::create_directories(thumbs);
  const struct {
    std::string name;
    bool removed;
  } files[] = {
      {".a.jpg.tessarine-" + gone + "-1", true},   {".tessarine-" + gone + "-7", true},
      {".b.jpg.tessarine-" + running + "-2", false}, {"c.jpg.tessarine-" + gone + "-3", false},
      {".d.jpg.tessarine-" + gone + "-x", false},   {".notes", false},
      {"e.jpg", false},
  };
  for (const auto& file : files) WriteFile(thumbs / file.name, "x");
  std::filesystem::create_symlink(dir / "e.jpg", thumbs / (".f.jpg.tessarine-" + gone + "-4"));

  EXPECT_EQ(RemoveLeftoverThumbnails(dir.path()), 2);
  for (const auto& file : files) EXPECT_EQ(std::filesystem::exists(thumbs / file.name), !file.removed) << file.name;
  EXPECT_TRUE(std::filesystem::is_symlink(thumbs / (".f.jpg.tessarine-" + gone + "-4")));

  // Through a link at "_thumbs_" nothing is removed.
  TempDir other;
  std::filesystem::create_directory_symlink(thumbs, other / "_thumbs_");
  WriteFile(thumbs / (".g.jpg.tessarine-" + gone + "-5"), "x");
  EXPECT_EQ(RemoveLeftoverThumbnails(other.path()), 0);
}

}  // namespace
}  // namespace tessarine::test
