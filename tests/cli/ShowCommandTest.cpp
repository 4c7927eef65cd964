// tessarine show: runs the built tool on files written at test time. The values are the reader's
// (ImageMetadataReaderTest, RealFilesTest); here the formats, the statuses and the settings' choices.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "metadata/ImageBytes.h"
#include "support/TempDir.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

class ShowCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(m_dir / "a.jpg",
              Jpeg(App13(Resource(0x0404, Iim(5, "IIM title") + Iim(25, "dog") + Iim(120, "line1\nline2"))) +
                   App1Xmp(TitlePacket())));
  }
  // Runs show on the files with the given settings, stderr dropped.
  ToolRun Show(const std::string& settings, const std::string& arguments) const {
    WriteFile(m_dir / "Tessarine PRO.ini", settings);
    return RunTool(TESSARINE_EXECUTABLE, "show --settings '" + (m_dir / "Tessarine PRO.ini").string() + "' " + arguments,
                   ToolStderr::Drop);
  }
  std::string File(const std::string& name) const { return "'" + (m_dir / name).string() + "' "; }
  TempDir m_dir;
};

TEST_F(ShowCommand, PrintsTheNonEmptyColumnsOnePerLineOrAllAsJsonOneLinePerFile) {
  const std::string iimFirst = "[Metadata]\nXMPOverIPTC=0\n[Configuration]\nHashFiles=1\n";
  const ToolRun lines = Show(iimFirst, File("a.jpg"));
  ASSERT_EQ(lines.status, 0);
  EXPECT_NE(lines.out.find("\nCaption=line1\\r\\nline2\n"), std::string::npos) << lines.out;
  EXPECT_EQ(lines.out.find("Headline="), std::string::npos);
  // Then what the companion tables would hold.
  EXPECT_NE(lines.out.find("\nKeyword=dog\nContentHash="), std::string::npos) << lines.out;

  // A name with a tab or a line break stays inside its file's one line; a missing file fails and
  // the others go on.
  const std::string odd = "tab\tand\nline.jpg";
  WriteFile(m_dir / odd, ReadFile(m_dir / "a.jpg"));
  const ToolRun json = Show(iimFirst, "--json " + File(odd) + File("missing.jpg") + File("a.jpg"));
  EXPECT_EQ(json.status, 1);
  const std::size_t end = json.out.find('\n');
  ASSERT_EQ(json.out.find('\n', end + 1), json.out.size() - 1) << json.out;  // two lines
  const auto first = nlohmann::ordered_json::parse(json.out.substr(0, end));
  EXPECT_EQ(first.size(), 167u);
  EXPECT_EQ(first.begin().key(), "Folder");  // columns in table order, then the companions
  EXPECT_EQ(first["companions"]["keywords"][0]["keyword"], "dog");
  EXPECT_EQ(first["companions"]["contentHash"].get<std::string>().size(), 32u);
  EXPECT_EQ(first["Folder"], m_dir.path().string() + "/");
  EXPECT_EQ(first["FileName"], odd);
  EXPECT_EQ(nlohmann::json::parse(json.out.substr(end + 1))["FileName"], "a.jpg");
}

// The settings' choices reach the reading: which of IIM and XMP comes first, and whether IIM fills
// what the packet lacks.
TEST_F(ShowCommand, TheSettingsChooseWhatIsRead) {
  const char* cases[][3] = {{"XMPOverIPTC=1\nKeepIimWhenXmpMissing=0", "XMP title", ""},
                            {"XMPOverIPTC=1\nKeepIimWhenXmpMissing=1", "XMP title", "line1\r\nline2"}};
  for (const auto& [metadata, title, caption] : cases) {
    const ToolRun json = Show(std::string("[Metadata]\n") + metadata + "\n", "--json " + File("a.jpg"));
    ASSERT_EQ(json.status, 0);
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object["ObjectName"], title) << metadata;
    EXPECT_EQ(object["Caption"], caption) << metadata;
  }
}

}  // namespace
}  // namespace tessarine::test
