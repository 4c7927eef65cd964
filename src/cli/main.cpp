// tessarine: the headless tool for servers and scheduled jobs.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "catalogue/OdbcCallThread.h"
#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "core/WindowTitle.h"

int main(int argc, char** argv) {
  CLI::App app{std::string(tessarine::kWindowTitle) + ": catalogue the metadata of image files", "tessarine"};
  app.set_version_flag("--version", std::string(tessarine::kVersionText));
  app.require_subcommand(1);

  int status = 0;
  tessarine::RegisterShowCommand(app, status);
  tessarine::RegisterDbCommands(app, status);
  tessarine::RegisterCheckCommand(app, status);
  tessarine::RegisterFoldersCommands(app, status);
  tessarine::RegisterScanCommand(app, status);
  tessarine::RegisterFindCommand(app, status);
  tessarine::RegisterAuditCommand(app, status);
  tessarine::RegisterDuplicatesCommand(app, status);
  tessarine::RegisterWatchCommand(app, status);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Said as the parser says it; a wrong argument ends with the usage status every command
    // documents, not the parser's own numbers ("--help" and "--version" end with 0).
    return app.exit(error) == 0 ? 0 : tessarine::kUsageStatus;
  }
  // A statement the database never answered still runs in its driver: the process ends without
  // the libraries' clean-ups, which that call would meet if the server came back now.
  if (tessarine::CallsGivenUpStillRunning() > 0) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
