// tessarine: the headless tool for servers and scheduled jobs.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "catalogue/OdbcCallThread.h"
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
  tessarine::RegisterWatchCommand(app, status);

  CLI11_PARSE(app, argc, argv);
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
