// tessarine audit: every catalogued photo that lacks a field the desk requires, one line a photo
// naming what it lacks. Exit status 0 when none lacks any, 1 when some do, 2 after an error of any
// kind (arguments, settings, connection, table, server).

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/JsonLines.h"
#include "cli/MatchListing.h"
#include "core/IniFile.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/browse/RequiredFields.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

constexpr int kAllCompleteStatus = 0;
constexpr int kSomeLackStatus = 1;
constexpr int kTroubleStatus = 2;

struct AuditOptions {
  std::string settingsFile;
  std::string require;
  std::string folder;
  bool json = false;
};

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

int RunAudit(const AuditOptions& options) {
  CommandContext context(options.settingsFile);
  const Settings& settings = context.CurrentSettings();
  SearchFilter filter;
  // A list as long as a setting can be may have lost its end when it was read.
  if (options.require.empty() && settings.auditRequire.size() >= kMaxSettingLength) {
    std::cerr << "[Audit] Require= in " << context.SettingsFile().string() << " is as long as a setting can be ("
              << kMaxSettingLength << " characters): its end may have been cut off. Shorten it, or give the "
              << "fields with --require.\n";
    return kTroubleStatus;
  }
  filter.missing = SplitFieldNames(options.require.empty() ? settings.auditRequire : options.require);
  if (filter.missing.empty()) {
    std::cerr << "No fields to require: give --require, or list them under [Audit] Require= in "
              << context.SettingsFile().string() << '\n';
    return kTroubleStatus;
  }
  if (!options.folder.empty()) filter.folder = FolderArgument(options.folder);

  CatalogueConnection& connection = context.Connection();
  if (Status opened = OpenCatalogue(connection, context.Port(), settings, settings.fileDsn); !opened) {
    context.ExplainFailure(opened);
    return kTroubleStatus;
  }
  Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, context.Port(), settings, filter);
  if (!search) return kTroubleStatus;

  const Expected<long long> lacking = ForEachMatch(search.Value(), [&](const ViewRow& row) {
    const std::vector<std::string> missing = search.Value().MissingIn(row);
    if (options.json) {
      WriteJsonLine(std::cout, {{"path", MatchPath(search.Value(), row)}, {"missing", missing}});
    } else {
      std::cout << Escaped(MatchPath(search.Value(), row)) << '\t' << Joined(missing) << '\n';
    }
  });
  std::cout.flush();
  if (!lacking) return kTroubleStatus;
  const std::string required = Joined(search.Value().RequiredNames());
  if (*lacking > 0) {
    std::cerr << *lacking << (*lacking == 1 ? " photo lacks" : " photos lack") << " one or more of: " << required
              << ".\n";
    return kSomeLackStatus;
  }
  // Nothing lacking where nothing was audited (a mistyped folder, an empty catalogue) is no pass.
  SearchFilter everyPhoto;
  everyPhoto.folder = filter.folder;
  Expected<CatalogueSearch> all = CatalogueSearch::Start(connection, context.Port(), settings, everyPhoto);
  const Expected<long long> audited = all ? all.Value().Count() : Expected<long long>(all.GetError());
  if (!audited) return kTroubleStatus;
  if (*audited == 0) {
    std::cerr << "No photo is catalogued" << (options.folder.empty() ? "" : " in " + filter.folder->Text())
              << ": nothing was audited.\n";
    return kTroubleStatus;
  }
  std::cerr << (*audited == 1 ? std::string("The one photo") : "Each of the " + std::to_string(*audited) + " photos")
            << " has " << required << ".\n";
  return kAllCompleteStatus;
}

}  // namespace

void RegisterAuditCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<AuditOptions>();
  CLI::App* audit = app.add_subcommand(
      "audit",
      "List every catalogued photo that lacks a required field: one line a photo, its path, a tab and the fields it "
      "lacks (a backslash, tab, CR or LF in the path written \\\\, \\t, \\r, \\n). A text field lacks when it is "
      "empty or only spaces. Exit status 0 when no photo lacks any, 1 when some do, 2 after an error (nothing "
      "audited is one)");
  audit->add_option("--require", options->require,
                    "The fields, separated by commas, semicolons or blanks: text columns of the images table (Byline, "
                    "Caption, Copyright or CopyrightNotice, Headline, City...), columns of the facts table (DateTaken, "
                    "Make, Latitude, PersonShown, DigitalSourceType...) or Keyword (default: [Audit] Require= of the "
                    "settings)");
  audit->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  audit->add_option("--folder", options->folder, "Only this folder and its subfolders");
  audit->add_flag("--json", options->json, "One JSON object a line: {\"path\": ..., \"missing\": [field, ...]}");
  audit->callback([options, &exitStatus] { exitStatus = RunAudit(*options); });
}

}  // namespace tessarine
