// tessarine show: prints the column values a scan would store for each file.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstring>
#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleUserPort.h"
#include "cli/JsonLines.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"
#include "metadata/FileRowReader.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/XmpParser.h"
#include "workflows/scan/ReadAlerts.h"

namespace tessarine {
namespace {

struct ShowOptions {
  std::string settingsFile;
  bool json = false;
  std::vector<std::string> files;
};

// Line breaks and backslashes written as escapes, so that one value stays on one line.
std::string OneLine(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

// What the facts, keywords and hashes tables would hold: the facts the file gives, its keywords
// with their levels, its content hash when files are hashed.
nlohmann::ordered_json CompanionsObject(const CompanionRow& companions) {
  nlohmann::ordered_json facts = nlohmann::ordered_json::object();
  for (std::size_t f = 0; f < kFactCount; ++f) {
    if (!companions.facts[f].empty()) facts[std::string(kFactColumns[f].name)] = companions.facts[f];
  }
  nlohmann::ordered_json keywords = nlohmann::ordered_json::array();
  for (const KeywordEntry& entry : companions.keywords) {
    keywords.push_back({{"keyword", entry.keyword}, {"leaf", entry.leaf}, {"depth", entry.depth}});
  }
  nlohmann::ordered_json object{{"facts", facts}, {"keywords", keywords}};
  if (!companions.contentHash.empty()) object["contentHash"] = companions.contentHash;
  return object;
}

int RunShow(const ShowOptions& options) {
  const std::filesystem::path settingsFile =
      options.settingsFile.empty() ? DefaultSettingsFile() : std::filesystem::path(options.settingsFile);
  const Settings settings = LoadSettings(settingsFile);
  if (settings.readError) {
    std::cerr << settings.readError->what() << '\n';
    return 1;
  }
  ConsoleUserPort port;
  ParsingErrorDump dump(ParsingErrorDumpFile(settingsFile));
  const XmpParser parser(settings.custom,
                         settings.modernFormats ? XmpParser::Rules::Modern : XmpParser::Rules::Classic);
  MetadataReadContext context{settings.onlyIptc, &parser, &dump, nullptr,
                              settings.modernFormats, settings.keepIimWhenXmpMissing};
  context.hashContent = settings.hashFiles;
  const auto& columns = ImageColumns();

  int status = 0;
  for (const std::string& file : options.files) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
      std::cerr << "Not a file: " << file << '\n';
      status = 1;
      continue;
    }
    const FileRow row = ReadFileRow(std::filesystem::absolute(file), context, settings.xmpOverIptc);
    if (row.openError != 0) {
      std::cerr << file << ": " << (row.openProblem.empty() ? std::strerror(row.openError) : row.openProblem) << '\n';
      status = 1;
      continue;
    }
    ShowReadAlerts(port, row.alerts);
    for (const std::string& problem : row.problems) std::cerr << file << ": " << problem << '\n';
    if (options.json) {
      nlohmann::ordered_json object;
      for (std::size_t c = 0; c < kImageColumnCount; ++c) object[std::string(columns[c].name)] = row.columns[c];
      object["companions"] = CompanionsObject(row.companions);
      WriteJsonLine(std::cout, object);
      continue;
    }
    std::cout << "== " << file << '\n';
    for (std::size_t c = 0; c < kImageColumnCount; ++c) {
      if (!row.columns[c].empty()) std::cout << columns[c].name << '=' << OneLine(row.columns[c]) << '\n';
    }
    for (std::size_t f = 0; f < kFactCount; ++f) {
      const std::string& value = row.companions.facts[f];
      if (!value.empty()) std::cout << kFactColumns[f].name << '=' << OneLine(value) << '\n';
    }
    for (const KeywordEntry& entry : row.companions.keywords) std::cout << "Keyword=" << OneLine(entry.keyword) << '\n';
    if (!row.companions.contentHash.empty()) std::cout << "ContentHash=" << row.companions.contentHash << '\n';
  }
  return status;
}

}  // namespace

void RegisterShowCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App* show = app.add_subcommand(
      "show", "Print the column values a scan would store for each file, then its facts, keywords and content hash");
  show->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  show->add_flag("--json", options->json, "One JSON object a line per file: all 166 columns, then \"companions\": facts, keywords, contentHash");
  show->add_option("files", options->files, "Image files")->required();
  show->callback([options, &exitStatus] { exitStatus = RunShow(*options); });
}

}  // namespace tessarine
