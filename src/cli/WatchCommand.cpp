// tessarine watch: keeps the catalogue current while it runs (see CatalogueWatch), as a service
// would. Ctrl-C or SIGTERM ends it, after the batch in progress.

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "cli/ConsoleUserPort.h"
#include "workflows/scan/CatalogueWatch.h"

namespace tessarine {
namespace {

struct WatchOptions {
  std::string settingsFile;
  bool verbose = false;
  bool poll = false;
};

int RunWatch(const WatchOptions& options) {
  StopOnSignals stop;
  CommandContext context(options.settingsFile, ConsoleOptions{.verbose = options.verbose});
  // The list is read once here, where a failure is explained as every command explains it.
  if (!context.LoadFolders()) return kFailedStatus;
  WatchHooks hooks;
  hooks.stopRequested = [] { return StopOnSignals::Requested(); };
  hooks.say = [](const std::string& line) { std::cerr << PrintableText(line) << '\n'; };
  hooks.failed = [&context](const Status& status) { context.ExplainFailure(status); };
  hooks.problem = [&options](const std::string& text) {
    if (!options.verbose) std::cerr << PrintableText(text) << '\n';
  };
  Settings& settings = context.CurrentSettings();
  CatalogueWatch watch(context.Connection(), context.Port(), settings, settings.fileDsn, context.SettingsFile(),
                       options.poll, std::move(hooks));
  const Status watched = watch.Run();
  return watched ? 0 : context.ExplainFailure(watched);
}

}  // namespace

void RegisterWatchCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<WatchOptions>();
  CLI::App* watch = app.add_subcommand(
      "watch", "Keep the catalogue current: rescan the folders of the folders table as files change in them");
  watch->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  watch->add_flag("-v,--verbose", options->verbose, "Print every file and every status as each rescan goes");
  watch->add_flag("--poll", options->poll,
                  "Rescan every folder each [Configuration] WatchPollSeconds (default 300) instead of watching them");
  watch->callback([options, &exitStatus] { exitStatus = RunWatch(*options); });
}

}  // namespace tessarine
