// How long the catalogue view waits for a search: the count and the first page, as the view asks
// them through CatalogueSearch on the settings' catalogue. Used by search-catalogue.sh:
//   search_bench SETTINGS ROUNDS PAGE_ROWS SEARCH...
// A search is words separated by blanks, among which these set the rest of the filter, as the find
// and audit commands take them: --taken-from=DAY, --taken-to=DAY, --camera=WORD, --near=LAT,LON,KM,
// --keyword=KEYWORD (again for more), --digital-source=TEXT, --copies (files whose content another
// file has), --require=FIELD,FIELD... (an audit). Prints one line per search, in the order given:
// "<search>\t<matches>\t<count ms>\t<page ms>\t<total ms>", the median of the rounds (the
// connection is opened once, as the view keeps its own open).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Settings.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/browse/RequiredFields.h"
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

// The filter a search's text asks for; nothing for an option it does not know or a value it refuses.
std::optional<SearchFilter> ParseSearch(std::string_view text) {
  SearchFilter filter;
  for (const std::string& part : SplitWords(text)) {
    if (!part.starts_with("--")) {
      filter.words += (filter.words.empty() ? "" : " ") + part;
      continue;
    }
    if (part == "--copies") {
      filter.withCopies = true;
      continue;
    }
    const std::size_t equals = part.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const std::string_view option = std::string_view(part).substr(0, equals);
    const std::string value = part.substr(equals + 1);
    if (option == "--taken-from" || option == "--taken-to") {
      std::optional<SearchDay> day = SearchDay::Parse(value);
      if (!day) return std::nullopt;
      (option == "--taken-from" ? filter.takenFrom : filter.takenTo) = day;
    } else if (option == "--camera") {
      filter.camera += (filter.camera.empty() ? "" : " ") + value;
    } else if (option == "--near") {
      filter.near = ParseNear(value);
      if (!filter.near) return std::nullopt;
    } else if (option == "--keyword") {
      filter.keywords.push_back(value);
    } else if (option == "--digital-source") {
      filter.digitalSource = value;
    } else if (option == "--require") {
      filter.missing = SplitFieldNames(value);
    } else {
      return std::nullopt;
    }
  }
  return filter;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: search_bench SETTINGS ROUNDS PAGE_ROWS SEARCH...\n";
    return 2;
  }
  const Settings settings = LoadSettings(argv[1]);
  const int rounds = std::max(1, std::atoi(argv[2]));
  const long long pageRows = std::max(1, std::atoi(argv[3]));
  QuietPort port;
  CatalogueConnection connection;
  if (!OpenCatalogue(connection, port, settings, settings.fileDsn)) return 1;
  for (int w = 4; w < argc; ++w) {
    const std::optional<SearchFilter> filter = ParseSearch(argv[w]);
    if (!filter) {
      std::cerr << "search_bench: not a search: " << argv[w] << '\n';
      return 2;
    }
    std::vector<double> counts, pages, totals;
    long long matches = -1;
    for (int r = 0; r < rounds; ++r) {
      const auto start = Clock::now();
      Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, port, settings, *filter);
      if (!search) return 1;
      const Expected<long long> count = search.Value().Count();
      const auto counted = Clock::now();
      const Expected<std::vector<ViewRow>> page = search.Value().PageAfter(nullptr, pageRows);
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
