// How long the catalogue view waits for a search: the count and the first page, as the view asks
// them through CatalogueSearch on the settings' catalogue. Used by search-catalogue.sh:
//   search_bench SETTINGS ROUNDS PAGE_ROWS WORDS...
// prints one line per search text: "<words>\t<matches>\t<count ms>\t<page ms>\t<total ms>", the
// median of the rounds (the connection is opened once, as the view keeps its own open).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/connection/OpenCatalogue.h"

namespace {

using namespace tessarine;
using Clock = std::chrono::steady_clock;

class QuietPort final : public UserPort {
 public:
  void SetStatus(std::string_view) override {}
  MessageAnswer ShowMessage(std::string_view text, MessageIcon, std::string_view, MessageButtons) override {
    std::cerr << text << '\n';
    return MessageAnswer::Ok;
  }
  MessageAnswer AskWithOption(std::string_view, std::string_view, bool&, std::string_view) override {
    return MessageAnswer::No;
  }
  void Beep() override {}
  void SetBusy(bool) override {}
  void AddLogLine(std::string_view) override {}
  void ShowPreview(const PreviewImage&) override {}
  void ProcessEvents() override {}
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: search_bench SETTINGS ROUNDS PAGE_ROWS WORDS...\n";
    return 2;
  }
  const Settings settings = LoadSettings(argv[1]);
  const int rounds = std::max(1, std::atoi(argv[2]));
  const long long pageRows = std::max(1, std::atoi(argv[3]));
  QuietPort port;
  CatalogueConnection connection;
  if (!OpenCatalogue(connection, port, settings, settings.fileDsn)) return 1;
  for (int w = 4; w < argc; ++w) {
    std::vector<double> counts, pages, totals;
    long long matches = -1;
    for (int r = 0; r < rounds; ++r) {
      const auto start = Clock::now();
      Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, port, settings, SearchFilter{argv[w]});
      if (!search) return 1;
      const Expected<long long> count = search.Value().Count();
      const auto counted = Clock::now();
      const Expected<std::vector<ViewRow>> page = search.Value().Page(0, pageRows);
      const auto paged = Clock::now();
      if (!count || !page) return 1;
      matches = *count;
      counts.push_back(Ms(counted - start));
      pages.push_back(Ms(paged - counted));
      totals.push_back(Ms(paged - start));
    }
    std::printf("%s\t%lld\t%.1f\t%.1f\t%.1f\n", argv[w], matches, Median(counts), Median(pages), Median(totals));
  }
  return 0;
}
