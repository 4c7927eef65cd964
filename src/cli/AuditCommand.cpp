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
  filter.missing = SplitFieldNames(options.require.empty() ? settings.auditRequire : options.require);
  if (filter.missing.empty()) {
    std::cerr << "No fields to require: give --require, or list them under "
                 "[Audit] Require= in "
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
  if (*lacking == 0) {
    std::cerr << "Every photo has " << Joined(filter.missing) << ".\n";
    return kAllCompleteStatus;
  }
  std::cerr << *lacking << (*lacking == 1 ? " photo lacks" : " photos lack") << " a required field ("
            << Joined(filter.missing) << ").\n";
  return kSomeLackStatus;
}

}  // namespace

void RegisterAuditCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<AuditOptions>();
  CLI::App* audit = app.add_subcommand("audit",
                                       "List every catalogued photo that lacks a required field: one "
                                       "line a photo, its path, a tab and the fields "
                                       "it lacks (a backslash, tab, CR or LF in the path written \\\\, "
                                       "\\t, \\r, \\n). A text field lacks when it "
                                       "is empty or only spaces. Exit status 0 when no photo lacks "
                                       "any, 1 when some do, 2 after an error");
  audit->add_option("--require", options->require,
                    "The fields, separated by commas: text columns of the "
                    "images table (Byline, Caption, Copyright "
                    "or CopyrightNotice, Headline, City...), columns of the "
                    "facts table (DateTaken, Make, "
                    "Latitude, PersonShown, DigitalSourceType...) or Keyword "
                    "(default: [Audit] Require= of the "
                    "settings)");
  audit->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  audit->add_option("--folder", options->folder, "Only this folder and its subfolders");
  audit->add_flag("--json", options->json, "One JSON object a line: {\"path\": ..., \"missing\": [field, ...]}");
  audit->callback([options, &exitStatus] { exitStatus = RunAudit(*options); });
}

}  // namespace tessarine
