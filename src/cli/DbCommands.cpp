// tessarine db test|create|sql: the connection and tables tabs without a window, so that a
// server install needs none.

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/Settings.h"
#include "app/SettingsLocation.h"
#include "cli/Commands.h"
#include "cli/ConsoleUserPort.h"
#include "db/CatalogueTables.h"
#include "db/ConnectString.h"
#include "db/SqlDialect.h"
#include "db/TestingQuery.h"

namespace tessarine {
namespace {

std::filesystem::path SettingsFileOf(const std::string& option) {
  return option.empty() ? DefaultSettingsFile() : std::filesystem::path(option);
}

// The tool's port for actions the user asked for on the command line: questions are answered Yes
// without being printed; everything else goes to the console port.
class ConfirmingPort final : public UserPort {
 public:
  explicit ConfirmingPort(ConsoleUserPort& console) : m_console(console) {}
  void SetStatus(std::string_view text) override { m_console.SetStatus(text); }
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override {
    if (buttons == MessageButtons::YesNo) return MessageAnswer::Yes;
    return m_console.ShowMessage(text, icon, title, buttons);
  }
  void Beep() override { m_console.Beep(); }
  void SetBusy(bool busy) override { m_console.SetBusy(busy); }
  void AddLogLine(std::string_view line) override { m_console.AddLogLine(line); }
  void ShowPreview(const PreviewImage& image) override { m_console.ShowPreview(image); }
  void ProcessEvents() override { m_console.ProcessEvents(); }

 private:
  ConsoleUserPort& m_console;
};

int RunTest(const std::string& settingsOption, const std::string& queryOption) {
  const auto settingsFile = SettingsFileOf(settingsOption);
  Settings settings = LoadSettings(settingsFile);
  ConsoleUserPort port;
  CatalogueConnection connection(port);
  const std::string query = queryOption.empty() ? SqlDialectFor(settings.dbms).TestQuery() : queryOption;
  const ConnectionBoxes boxes{settings.dsn, settings.fileDsn, settings.login, settings.password};
  const std::string result = TestingQuery(connection, port, settings, settingsFile, boxes, query);
  if (port.LastStatus() == "DSN not defined") {
    std::cerr << "DSN not defined (section Connection of " << settingsFile.string() << ")\n";
    return 1;
  }
  if (!connection.CompletedConnectString().empty()) {
    std::cout << "Connected: " << MaskPassword(connection.CompletedConnectString(), settings.password) << '\n';
  }
  std::cout << "Result: " << result << '\n';
  return port.MessageCount() == 0 && !connection.CompletedConnectString().empty() ? 0 : 1;
}

int RunCreate(const std::string& settingsOption, bool folders, bool images, bool yes) {
  if (!yes) {
    std::cerr << "Creating a table drops it first with all its rows: add --yes to go ahead\n";
    return 2;
  }
  if (!folders && !images) folders = images = true;
  const auto settingsFile = SettingsFileOf(settingsOption);
  Settings settings = LoadSettings(settingsFile);
  ConsoleUserPort console;
  ConfirmingPort port(console);
  CatalogueConnection connection(port);
  TableNameBoxes boxes{settings.folders, settings.images};
  int status = 0;
  for (CatalogueTable table : {CatalogueTable::Folders, CatalogueTable::Images}) {
    if ((table == CatalogueTable::Folders && !folders) || (table == CatalogueTable::Images && !images)) continue;
    const CreateTableRequest request{table, settings.fileDsn, settingsFile, nullptr};
    const CreateTableOutcome outcome = CreateCatalogueTable(connection, port, settings, boxes, request);
    const std::string& name = table == CatalogueTable::Folders ? boxes.folders : boxes.images;
    if (outcome == CreateTableOutcome::Created) {
      std::cout << "Created table " << name << (table == CatalogueTable::Images ? " and its index" : "") << '\n';
    } else {
      if (console.LastStatus() == "DSN not defined") std::cerr << "DSN not defined\n";
      status = 1;
    }
  }
  return status;
}

int RunSql(const std::string& settingsOption, bool folders, bool images) {
  if (folders == images) {
    std::cerr << "Name one table: --folders or --images\n";
    return 2;
  }
  Settings settings = LoadSettings(SettingsFileOf(settingsOption));
  ConsoleUserPort port;
  TableNameBoxes boxes{settings.folders, settings.images};
  const auto shown = DisplayTableStatement(port, settings, boxes, folders ? CatalogueTable::Folders : CatalogueTable::Images);
  if (!shown) return 1;
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
  };
  auto options = std::make_shared<Options>();

  CLI::App* test = db->add_subcommand("test", "Run the test query on the configured data source");
  test->add_option("--settings", options->settings, "Settings file (default: the program's own)");
  test->add_option("--query", options->query, "Query to run instead of the dialect's test query");
  test->callback([options, &exitStatus] { exitStatus = RunTest(options->settings, options->query); });

  CLI::App* create = db->add_subcommand("create", "Drop and create the folders and/or images table");
  create->add_option("--settings", options->settings, "Settings file (default: the program's own)");
  create->add_flag("--folders", options->folders, "The folders table");
  create->add_flag("--images", options->images, "The images table and its index");
  create->add_flag("--yes", options->yes, "Confirm that the tables and their rows are dropped");
  create->callback([options, &exitStatus] {
    exitStatus = RunCreate(options->settings, options->folders, options->images, options->yes);
  });

  CLI::App* sql = db->add_subcommand("sql", "Print the statement that creates a table");
  sql->add_option("--settings", options->settings, "Settings file (default: the program's own)");
  sql->add_flag("--folders", options->folders, "The folders table");
  sql->add_flag("--images", options->images, "The images table");
  sql->callback([options, &exitStatus] { exitStatus = RunSql(options->settings, options->folders, options->images); });
}

}  // namespace tessarine
