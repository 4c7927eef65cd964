// tessarine db test|create|sql: the connection and tables tabs without a window, so that a
// server install needs none.

#include <CLI/CLI.hpp>

#include <iostream>

#include "catalogue/ConnectString.h"
#include "catalogue/SqlDialect.h"
#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "workflows/connection/CatalogueTables.h"
#include "workflows/connection/TestingQuery.h"

namespace tessarine {
namespace {

int RunTest(const std::string& settingsOption, const std::string& queryOption) {
  CommandContext context(settingsOption);
  Settings& settings = context.CurrentSettings();
  const std::string query = queryOption.empty() ? SqlDialectFor(settings.dbms).TestQuery() : queryOption;
  const ConnectionBoxes boxes{settings.dsn, settings.fileDsn, settings.login, settings.password};
  const Expected<std::string> result =
      TestingQuery(context.Connection(), context.Port(), settings, context.SettingsFile(), boxes, query);
  if (result.Is(ErrorKind::NoDataSource) || result.Is(ErrorKind::SettingsFile)) {
    return context.ExplainFailure(result.GetStatus());
  }
  const std::string& completed = context.Connection().CompletedConnectString();
  if (!completed.empty()) std::cout << "Connected: " << MaskPassword(completed, settings.password) << '\n';
  std::cout << "Result: " << (result ? *result : std::string()) << '\n';
  return result ? 0 : kFailedStatus;
}

int RunCreate(const std::string& settingsOption, bool folders, bool images, bool yes) {
  if (!yes) {
    std::cerr << "Creating a table drops it first with all its rows: add --yes to go ahead\n";
    return kUsageStatus;
  }
  if (!folders && !images) folders = images = true;
  // The user confirmed on the command line: the window's questions are answered without a word.
  CommandContext context(settingsOption, ConsoleOptions{.silentConfirmations = true});
  Settings& settings = context.CurrentSettings();
  TableNameBoxes boxes{settings.folders, settings.images};
  for (CatalogueTable table : {CatalogueTable::Folders, CatalogueTable::Images}) {
    if ((table == CatalogueTable::Folders && !folders) || (table == CatalogueTable::Images && !images)) continue;
    const CreateTableRequest request{table, settings.fileDsn, context.SettingsFile(), nullptr};
    const Expected<CreateTableOutcome> outcome =
        CreateCatalogueTable(context.Connection(), context.Port(), settings, boxes, request);
    const std::string& name = table == CatalogueTable::Folders ? boxes.folders : boxes.images;
    if (outcome && *outcome == CreateTableOutcome::Created) {
      std::cout << "Created table " << name
                << (table == CatalogueTable::Images ? " with its index, words, facts, keywords and hashes tables" : "") << '\n';
    } else {
      // The next table is not dropped after a refusal or a failure: one table lost is enough.
      context.ExplainFailure(outcome ? Status() : outcome.GetStatus());
      return kFailedStatus;
    }
  }
  return 0;
}

// The facts, keywords and hashes tables beside an images table that lacks them: nothing is dropped.
int RunCreateCompanions(const std::string& settingsOption) {
  CommandContext context(settingsOption);
  Settings& settings = context.CurrentSettings();
  const Expected<std::vector<std::string>> created =
      CreateCompanionTables(context.Connection(), context.Port(), settings, settings.fileDsn);
  if (!created) return context.ExplainFailure(created.GetStatus());
  if (created->empty()) {
    std::cout << "The facts, keywords and hashes tables of " << settings.images
              << " exist already: nothing was changed\n";
    return 0;
  }
  for (const std::string& name : *created) std::cout << "Created table " << name << " and its indexes\n";
  std::cout << "A scan fills " << (created->size() == 1 ? "it" : "them")
            << " (a scan with --changed only for the files that changed)\n";
  return 0;
}

int RunSql(const std::string& settingsOption, bool folders, bool images) {
  if (folders == images) {
    std::cerr << "Name one table: --folders or --images\n";
    return kUsageStatus;
  }
  CommandContext context(settingsOption);
  Settings& settings = context.CurrentSettings();
  TableNameBoxes boxes{settings.folders, settings.images};
  const auto shown =
      DisplayTableStatement(context.Port(), settings, boxes, folders ? CatalogueTable::Folders : CatalogueTable::Images);
  if (!shown) return kFailedStatus;
  std::cout << shown->statement << '\n';
  return 0;
}

}  // namespace

void RegisterDbCommands(CLI::App& app, int& exitStatus) {
  CLI::App* db = app.add_subcommand("db", "Test the connection and create the catalogue tables");
  db->require_subcommand(1);

  struct Options {
    std::string settings;
    std::string query;
    bool folders = false;
    bool images = false;
    bool yes = false;
    bool companions = false;
  };
  auto options = std::make_shared<Options>();

  CLI::App* test = db->add_subcommand("test", "Run the test query on the configured data source");
  test->add_option("-s,--settings", options->settings, "Settings file (default: the program's own)");
  test->add_option("--query", options->query, "Query to run instead of the dialect's test query");
  test->callback([options, &exitStatus] { exitStatus = RunTest(options->settings, options->query); });

  CLI::App* create = db->add_subcommand(
      "create", "Drop and create the folders and/or images table, or only add the facts, keywords and hashes tables");
  create->add_option("-s,--settings", options->settings, "Settings file (default: the program's own)");
  create->add_flag("--folders", options->folders, "The folders table");
  create->add_flag("--images", options->images, "The images table and its index");
  create->add_flag("--yes", options->yes, "Confirm that the tables and their rows are dropped");
  create->add_flag("--companions", options->companions,
                   "Only add the facts, keywords and hashes tables beside the images table, which keeps its rows "
                   "(--images makes them with it)")
      ->excludes("--folders")
      ->excludes("--images");
  create->callback([options, &exitStatus] {
    exitStatus = options->companions ? RunCreateCompanions(options->settings)
                                     : RunCreate(options->settings, options->folders, options->images, options->yes);
  });

  CLI::App* sql = db->add_subcommand("sql", "Print the statement that creates a table");
  sql->add_option("-s,--settings", options->settings, "Settings file (default: the program's own)");
  sql->add_flag("--folders", options->folders, "The folders table");
  sql->add_flag("--images", options->images, "The images table");
  sql->callback([options, &exitStatus] { exitStatus = RunSql(options->settings, options->folders, options->images); });
}

}  // namespace tessarine
