// tessarine show: runs the built tool on files written at test time.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "metadata/ImageBytes.h"
#include "support/ToolProcess.h"
#include "support/TempDir.h"

namespace {

using tessarine::test::ToolRun;

ToolRun Show(const std::string& arguments) {
  return tessarine::test::RunTool(TESSARINE_EXECUTABLE, "show " + arguments, tessarine::test::ToolStderr::Drop);
}

class ShowCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace tessarine::test;
    WriteFile(m_dir / "Tessarine PRO.ini", "[Metadata]\nXMPOverIPTC=0\n");
    WriteFile(m_dir / "a.jpg", Jpeg(App13(Resource(0x0404, Iim(5, "IIM title") + Iim(120, "line1\nline2"))) +
                                    App1Xmp(Packet("<rdf:Description rdf:about=\"\" "
                                                   "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                                                   "<dc:title><rdf:Alt><rdf:li>XMP</rdf:li></rdf:Alt></dc:title>"
                                                   "</rdf:Description>"))));
  }
  std::string File(const char* name) const { return "'" + (m_dir / name).string() + "'"; }
  std::string Settings() const { return "--settings " + File("Tessarine PRO.ini"); }
  tessarine::test::TempDir m_dir;
};

TEST_F(ShowCommandTest, PrintsAllColumnsAsJsonOrTheNonEmptyOnesOnePerLineWithTheSettingsFileRules) {
  const ToolRun json = Show("--json " + Settings() + " " + File("a.jpg"));
  ASSERT_EQ(json.status, 0);
  const auto object = nlohmann::ordered_json::parse(json.out);
  EXPECT_EQ(object.size(), 166u);
  // The values are ImageMetadataReaderTest's and RealFilesTest's; here the settings file and the format.
  EXPECT_EQ(object["ObjectName"], "IIM title");  // IIM first, as the settings file says
  EXPECT_EQ(object["Caption"], "line1\r\nline2");
  EXPECT_EQ(object.begin().key(), "Folder");  // columns in table order

  const ToolRun lines = Show(Settings() + " " + File("a.jpg"));
  ASSERT_EQ(lines.status, 0);
  EXPECT_NE(lines.out.find("\nObjectName=IIM title\n"), std::string::npos);
  EXPECT_NE(lines.out.find("\nCaption=line1\\r\\nline2\n"), std::string::npos);
  EXPECT_EQ(lines.out.find("Headline="), std::string::npos);
}

// A name with a tab or a line break stays inside its file's one line.
TEST_F(ShowCommandTest, JsonGivesOneLinePerFileWhateverItsName) {
  const std::string odd = "tab\tand\nline.jpg";
  tessarine::test::WriteFile(m_dir / odd, tessarine::test::ReadFile(m_dir / "a.jpg"));
  const ToolRun json = Show("--json " + Settings() + " " + File(odd.c_str()) + " " + File("a.jpg"));
  ASSERT_EQ(json.status, 0);
  const std::size_t end = json.out.find('\n');
  ASSERT_EQ(json.out.find('\n', end + 1), json.out.size() - 1) << json.out;  // two lines
  const auto first = nlohmann::json::parse(json.out.substr(0, end));
  EXPECT_EQ(first["Folder"], m_dir.path().string() + "/");
  EXPECT_EQ(first["FileName"], odd);
  EXPECT_EQ(first["ObjectName"], "IIM title");
  EXPECT_EQ(nlohmann::json::parse(json.out.substr(end + 1))["FileName"], "a.jpg");
}

TEST_F(ShowCommandTest, FailsForAMissingFileAndGoesOnWithTheOthers) {
  const ToolRun out = Show("--json " + Settings() + " " + File("missing.jpg") + " " + File("a.jpg"));
  EXPECT_NE(out.status, 0);
  EXPECT_EQ(nlohmann::json::parse(out.out)["ObjectName"], "IIM title");
}

}  // namespace

// The settings' choice reaches the reading: with XMP first, the caption the packet lacks is empty,
// or the IIM one when it is kept.
TEST_F(ShowCommandTest, KeepingIimFillsWhatThePacketLacks) {
  using tessarine::test::WriteFile;
  for (const char* keep : {"0", "1"}) {
    WriteFile(m_dir / "Tessarine PRO.ini", std::string("[Metadata]\nXMPOverIPTC=1\nKeepIimWhenXmpMissing=") + keep + "\n");
    const ToolRun json = Show("--json " + Settings() + " " + File("a.jpg"));
    ASSERT_EQ(json.status, 0);
    const auto object = nlohmann::ordered_json::parse(json.out);
    EXPECT_EQ(object["ObjectName"], "XMP");
    EXPECT_EQ(object["Caption"], std::string(keep) == "1" ? "line1\r\nline2" : "") << keep;
  }
}
