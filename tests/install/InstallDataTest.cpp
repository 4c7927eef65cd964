// What the install puts beside the programs for a desktop and a shell: the menu entry and the
// AppStream metainfo as their validators read them, and the manual page of tessarine, which must
// name every command and option the tool has and every exit status the README gives.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ToolProcess.h"
#include "support/TempDir.h"

namespace tessarine::test {
namespace {

const std::filesystem::path kSource = TESSARINE_SOURCE_DIR;
const std::filesystem::path kData = TESSARINE_DATA_BINARY_DIR;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

TEST(InstallData, TheMenuEntryAndTheMetainfoPassTheirValidators) {
  const ToolRun desktop = RunTool("desktop-file-validate", Quoted(kSource / "data" / "tessarine-pro.desktop"));
  EXPECT_EQ(desktop.status, 0) << desktop.out;
  EXPECT_FALSE(std::regex_search(desktop.out, std::regex("error:|warning:"))) << desktop.out;

  const auto metainfo = kData / "org.example.tessarine.TessarinePro.metainfo.xml";
  const ToolRun appstream = RunTool("appstreamcli", "validate --no-net " + Quoted(metainfo));
  EXPECT_EQ(appstream.status, 0) << appstream.out;
  // Errors and warnings; infos and pedantic notes may stay.
  EXPECT_FALSE(std::regex_search(appstream.out, std::regex("(^|\n)[EW]: "))) << appstream.out;
  // It launches the menu entry that is installed, and names this build's version.
  const std::string xml = ReadFile(metainfo);
  EXPECT_NE(xml.find("<launchable type=\"desktop-id\">tessarine-pro.desktop</launchable>"), std::string::npos);
  EXPECT_NE(xml.find("<release version=\"" TESSARINE_VERSION "\" date=\""), std::string::npos) << xml;
}

// The page as man shows it, without hyphenation or breaks inside a long synopsis.
std::string Render(const std::filesystem::path& page) {
  return RunTool("groff", "-man -Tascii -P-cbou -rHY=0 -rLL=400n " + Quoted(page), ToolStderr::Drop).out;
}


TEST(InstallData, TheManualPagesRenderWithoutWarnings) {
  for (const char* page : {"tessarine.1", "tessarine-pro.1"}) {
    // What groff says of the page, with every warning on and no output.
    EXPECT_EQ(RunTool("groff", "-man -Tascii -ww -z " + Quoted(kData / page)).out, "") << page;
    EXPECT_NE(Render(kData / page).find("Tessarine PRO " TESSARINE_VERSION), std::string::npos) << page;
  }
}

// Every command of the tool (the words under its help's "Subcommands:", followed down) has a
// section headed by its whole name, and every long option of its help is named.
TEST(InstallData, TheManualPageNamesEveryCommandAndOption) {
  const std::string text = Render(kData / "tessarine.1");
  std::vector<std::string> pending = {""};
  std::size_t commands = 0;
  const std::regex option("--[a-z][a-z-]*");
  while (!pending.empty()) {
    const std::string command = pending.back();
    pending.pop_back();
    std::istringstream help(RunTool(TESSARINE_EXECUTABLE, command + " --help", ToolStderr::Drop).out);
    bool inCommands = false;
    bool leaf = true;
    for (std::string line; std::getline(help, line);) {
      if (line.empty() || line[0] != ' ') {
        inCommands = line.rfind("Subcommands", 0) == 0 || line.rfind("SUBCOMMANDS", 0) == 0;
        continue;
      }
      // "  name  text" or "  -v,--verbose  text": the first word only, not the description.
      const std::size_t start = line.find_first_not_of(' ');
      const std::string word = line.substr(start, line.find(' ', start) - start);
      if (inCommands) {
        pending.push_back(command.empty() ? word : command + " " + word);
        leaf = false;
      }
      for (std::sregex_iterator it(word.begin(), word.end(), option), end; !inCommands && it != end; ++it) {
        EXPECT_NE(text.find(it->str()), std::string::npos) << "tessarine " << command << " " << it->str();
      }
    }
    EXPECT_TRUE(!leaf || text.find("\n   tessarine " + command + " ") != std::string::npos) << command;
    commands += leaf ? 1 : 0;
  }
  EXPECT_GE(commands, 10u);  // show, db test|create|sql, folders list|add|remove, scan, check, find
}

// The tags of the page's EXIT STATUS section (".TP" then ".B <status>" in its source) are every
// number of the README's "exit status" paragraphs, from that phrase to the paragraph's end.
TEST(InstallData, TheManualPageGivesEveryExitStatusOfTheReadme) {
  const std::string page = ReadFile(kData / "tessarine.1");
  const std::size_t section = page.find(".SH \"EXIT STATUS\"");
  ASSERT_NE(section, std::string::npos);
  const std::string body = page.substr(section, page.find("\n.SH ", section + 1) - section);
  std::set<std::string> tags;
  const std::regex tag("\n\\.TP\n\\.B ([0-9]+)\n");
  for (std::sregex_iterator it(body.begin(), body.end(), tag), end; it != end; ++it) tags.insert((*it)[1].str());

  const std::string readme = ReadFile(kSource / "README.md");
  std::set<std::string> statuses;
  const std::regex phrase("[Ee]xit status");
  const std::regex number("\\b[0-9]+\\b");
  for (std::sregex_iterator it(readme.begin(), readme.end(), phrase), end; it != end; ++it) {
    const std::size_t from = static_cast<std::size_t>(it->position());
    const std::string paragraph = readme.substr(from, readme.find("\n\n", from) - from);
    for (std::sregex_iterator n(paragraph.begin(), paragraph.end(), number); n != end; ++n) statuses.insert(n->str());
  }
  EXPECT_EQ(statuses, (std::set<std::string>{"0", "1", "2", "3", "130", "143"}));
  EXPECT_EQ(tags, statuses);
}

}  // namespace
}  // namespace tessarine::test
