#pragma once
// Each subcommand of the tool registers itself here; a command sets the exit status.

namespace CLI {
class App;
}

namespace tessarine {

void RegisterShowCommand(CLI::App& app, int& exitStatus);
void RegisterDbCommands(CLI::App& app, int& exitStatus);
void RegisterCheckCommand(CLI::App& app, int& exitStatus);
void RegisterFoldersCommands(CLI::App& app, int& exitStatus);
void RegisterScanCommand(CLI::App& app, int& exitStatus);
void RegisterFindCommand(CLI::App& app, int& exitStatus);
void RegisterAuditCommand(CLI::App& app, int& exitStatus);
void RegisterDuplicatesCommand(CLI::App& app, int& exitStatus);
void RegisterWatchCommand(CLI::App& app, int& exitStatus);

}  // namespace tessarine
