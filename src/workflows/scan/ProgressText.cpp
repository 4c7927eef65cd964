#include "workflows/scan/ProgressText.h"

#include <cmath>
#include <cstdio>

#include "workflows/scan/ScanDriver.h"

namespace tessarine {
namespace {

std::string TimeLeftText(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(seconds));
  const long long hours = whole / 3600;
  const long long minutes = whole % 3600 / 60;
  const long long rest = whole % 60;
  if (hours > 0) return std::to_string(hours) + " h " + std::to_string(minutes) + " min";
  if (minutes > 0) return std::to_string(minutes) + " min " + std::to_string(rest) + " s";
  return std::to_string(rest) + " s";
}

}  // namespace

std::string ProgressText(const ScanProgress& progress, std::chrono::duration<double> elapsed) {
  std::string text = std::to_string(progress.filesDone);
  // A tree that grew since the count has more files than counted: the total then says nothing.
  const bool totalKnown = progress.filesTotal > 0 && progress.filesDone <= progress.filesTotal;
  if (totalKnown) text += " of " + std::to_string(progress.filesTotal);
  text += " files";
  // The first second holds the start of the decoders: a rate from it would promise hours.
  constexpr double kFirstRateAfter = 1.0;
  const double seconds = elapsed.count();
  if (seconds < kFirstRateAfter || progress.filesDone <= 0) return text;
  const double rate = static_cast<double>(progress.filesDone) / seconds;
  char rateText[32];
  std::snprintf(rateText, sizeof rateText, "%.1f", rate);
  text += std::string(", ") + rateText + " files/s";
  if (totalKnown) {
    text += ", about " + TimeLeftText(static_cast<double>(progress.filesTotal - progress.filesDone) / rate) + " left";
  }
  return text;
}

}  // namespace tessarine
