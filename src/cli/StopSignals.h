#pragma once
// Ctrl-C (SIGINT) and SIGTERM while the tool scans or checks. The first asks for a clean stop (the
// file in progress is finished and its folder ended) and says so on stderr at once; a second ends
// the tool at once, as the signal would without us. Calls under way are not broken off (system
// calls restart): a file read or a statement ends first, and the stop is seen as soon as it
// returns. A file is never waited on (see RegularFile) and a statement waits for the server at
// most the query time-out.

namespace tessarine {

class StopOnSignals {
 public:
  // Takes over SIGINT and SIGTERM; the earlier handlers come back with the destructor.
  StopOnSignals();
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

  // True once a stop was asked for.
  static bool Requested();
  // The exit status of a tool stopped by the signal, as shells report it: 128 + its number.
  static int StoppedStatus();
};

}  // namespace tessarine
