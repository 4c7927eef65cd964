// tessarine duplicates: the catalogued files whose content is the same, by the hashes scans store
// when they hash files. Exit status 0 when some files have copies, 1 when none has, 2 after an
// error of any kind (settings, connection, no hashes table, server).

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/JsonLines.h"
#include "cli/MatchListing.h"
#include "workflows/browse/ContentCopies.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

constexpr int kCopiesStatus = 0;
constexpr int kNoCopiesStatus = 1;
constexpr int kTroubleStatus = 2;

struct DuplicatesOptions {
  std::string settingsFile;
  bool json = false;
};

int RunDuplicates(const DuplicatesOptions& options) {
  CommandContext context(options.settingsFile);
  const Settings& settings = context.CurrentSettings();
  CatalogueConnection& connection = context.Connection();
  if (Status opened = OpenCatalogue(connection, context.Port(), settings, settings.fileDsn); !opened) {
    context.ExplainFailure(opened);
    return kTroubleStatus;
  }
  const Expected<CopyCount> counted = ForEachCopyGroup(connection, context.Port(), settings, [&](const CopyGroup& group) {
    if (options.json) {
      WriteJsonLine(std::cout, {{"hash", group.hash}, {"paths", group.paths}});
      return;
    }
    for (const std::string& path : group.paths) std::cout << group.hash << '\t' << Escaped(path) << '\n';
  });
  std::cout.flush();
  if (!counted) return kTroubleStatus;
  if (!settings.hashFiles) {
    std::cerr << "Scans do not hash files now ([Configuration] HashFiles=1 in " << context.SettingsFile().string()
              << " makes them): these are the hashes earlier scans stored.\n";
  }
  // Files without a hash are compared with none: said, so that no copy is thought absent unseen.
  if (counted->unhashed > 0) {
    std::cerr << counted->unhashed << (counted->unhashed == 1 ? " catalogued file has" : " catalogued files have")
              << " no hash and were not compared: empty files, links, and files scanned while files were not hashed "
              << "(a scan without --changed, with HashFiles=1, hashes those).\n";
  }
  return counted->groups > 0 ? kCopiesStatus : kNoCopiesStatus;
}

}  // namespace

void RegisterDuplicatesCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<DuplicatesOptions>();
  CLI::App* duplicates = app.add_subcommand(
      "duplicates",
      "List the catalogued files whose content is the same, by the hashes scans store with [Configuration] "
      "HashFiles=1: one line a file, the hash, a tab and its path (a backslash, tab, CR or LF written \\\\, \\t, "
      "\\r, \\n), the files of one content together. Exit status 0 when some files have copies, 1 when none has, 2 "
      "after an error");
  duplicates->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  duplicates->add_flag("--json", options->json, "One JSON object a content: {\"hash\": ..., \"paths\": [...]}");
  duplicates->callback([options, &exitStatus] { exitStatus = RunDuplicates(*options); });
}

}  // namespace tessarine
