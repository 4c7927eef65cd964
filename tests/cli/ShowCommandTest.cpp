// tessarine show: runs the built tool on files written at test time.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>

#include "metadata/ImageBytes.h"
#include "support/TempDir.h"

namespace {

struct Output {
  int status = 0;
  std::string text;
};

Output RunTool(const std::string& arguments) {
  const std::string command = std::string(TESSARINE_EXECUTABLE) + " " + arguments + " 2>/dev/null";
  Output out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.text.append(buffer.data(), n);
  out.status = ::pclose(pipe);
  return out;
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
  std::string Settings() const { return "--settings '" + (m_dir / "Tessarine PRO.ini").string() + "'"; }
  tessarine::test::TempDir m_dir;
};

TEST_F(ShowCommandTest, PrintsAllColumnsAsJsonWithTheSettingsFileRules) {
  const Output out = RunTool("show --json " + Settings() + " '" + (m_dir / "a.jpg").string() + "'");
  ASSERT_EQ(out.status, 0);
  const auto object = nlohmann::ordered_json::parse(out.text);
  EXPECT_EQ(object.size(), 166u);
  EXPECT_EQ(object["ObjectName"], "IIM title");  // IIM first, as the settings file says
  EXPECT_EQ(object["Caption"], "line1\r\nline2");
  EXPECT_EQ(object["SupportIPTC"], "1");
  EXPECT_EQ(object["FileName"], "a.jpg");
  EXPECT_EQ(object["Folder"], m_dir.path().string() + "/");
  EXPECT_EQ(object["XMPCustom100"], "");
  EXPECT_EQ(object.begin().key(), "Folder");  // columns in table order
}

TEST_F(ShowCommandTest, PrintsNonEmptyColumnsOnePerLine) {
  const Output out = RunTool("show " + Settings() + " '" + (m_dir / "a.jpg").string() + "'");
  ASSERT_EQ(out.status, 0);
  EXPECT_NE(out.text.find("\nObjectName=IIM title\n"), std::string::npos);
  EXPECT_NE(out.text.find("\nCaption=line1\\r\\nline2\n"), std::string::npos);
  EXPECT_EQ(out.text.find("Headline="), std::string::npos);
}

TEST_F(ShowCommandTest, FailsForAMissingFileAndGoesOnWithTheOthers) {
  const Output out = RunTool("show --json " + Settings() + " '" + (m_dir / "missing.jpg").string() + "' '" +
                             (m_dir / "a.jpg").string() + "'");
  EXPECT_NE(out.status, 0);
  EXPECT_EQ(nlohmann::json::parse(out.text)["ObjectName"], "IIM title");
}

}  // namespace
