// tessarine: the headless tool for servers and scheduled jobs.

#include <CLI/CLI.hpp>

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

  CLI11_PARSE(app, argc, argv);
  return status;
}
