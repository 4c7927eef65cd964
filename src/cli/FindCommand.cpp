// tessarine find: the catalogue's rows whose words match, as paths and titles or as the view's CSV.
// Exit status as grep's: 0 when something matched, 1 when nothing did, 2 after an error of any kind
// (arguments, settings, connection, table, server).

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/MatchListing.h"
#include "core/ImageColumns.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/browse/CsvExport.h"
#include "workflows/browse/RequiredFields.h"
#include "workflows/browse/SavedSearches.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

constexpr int kFoundStatus = 0;
constexpr int kNothingFoundStatus = 1;
constexpr int kTroubleStatus = 2;

struct FindOptions {
  std::string settingsFile;
  std::vector<std::string> words;
  std::string folder;
  std::string from;
  std::string to;
  std::string takenFrom;
  std::string takenTo;
  std::string camera;
  std::string near;
  std::vector<std::string> keywords;
  std::string digitalSource;
  bool copies = false;
  std::string missing;
  std::string save;
  std::string saved;
  std::string view;
  bool listSaved = false;
  std::string sort;
  bool descending = false;
  bool csv = false;
};

// Every match as "folder/file", and a tab and its title when it has one. The number printed, or the
// error that ended the listing.
Expected<long long> PrintMatches(CatalogueSearch& search) {
  const auto& columns = search.Columns();
  std::size_t title = 0;
  while (title < columns.size() && columns[title].column != col::ObjectName) ++title;
  return ForEachMatch(search, [&](const ViewRow& row) {
    std::cout << Escaped(MatchPath(search, row));
    if (title < columns.size() && row[title] && !row[title]->empty()) std::cout << '\t' << Escaped(*row[title]);
    std::cout << '\n';
  });
}

// The search the options describe; nothing, after saying why, when one cannot be taken.
std::optional<SearchFilter> FilterOf(const FindOptions& options) {
  SearchFilter filter;
  for (const std::string& word : options.words) filter.words += (filter.words.empty() ? "" : " ") + word;
  if (!options.folder.empty()) filter.folder = FolderArgument(options.folder);
  for (auto [text, day, option] : {std::tuple{&options.from, &filter.from, "--from"},
                                   std::tuple{&options.to, &filter.to, "--to"},
                                   std::tuple{&options.takenFrom, &filter.takenFrom, "--taken-from"},
                                   std::tuple{&options.takenTo, &filter.takenTo, "--taken-to"}}) {
    if (text->empty()) continue;
    *day = SearchDay::Parse(*text);
    if (!*day) {
      std::cerr << option << ": not a date of the form YYYY-MM-DD: " << *text << '\n';
      return std::nullopt;
    }
  }
  if (filter.from && filter.to && *filter.to < *filter.from) {
    std::cerr << "--to " << options.to << " lies before --from " << options.from << '\n';
    return std::nullopt;
  }
  if (filter.takenFrom && filter.takenTo && *filter.takenTo < *filter.takenFrom) {
    std::cerr << "--taken-to " << options.takenTo << " lies before --taken-from " << options.takenFrom << '\n';
    return std::nullopt;
  }
  if (!options.near.empty()) {
    filter.near = ParseNear(options.near);
    if (!filter.near) {
      std::cerr << "--near: not LAT,LON,KM (degrees -90..90 and -180..180, 0 < KM <= 20000): "
                << options.near << '\n';
      return std::nullopt;
    }
  }
  filter.camera = options.camera;
  filter.keywords = options.keywords;
  filter.digitalSource = options.digitalSource;
  filter.withCopies = options.copies;
  filter.missing = SplitFieldNames(options.missing);
  return filter;
}

// The saved search of that name (letter case ignored); nothing, after naming those there are.
std::optional<SearchFilter> SavedFilter(const std::filesystem::path& settingsFile, std::string_view name) {
  const std::vector<SavedSearch> searches = SavedSearches(settingsFile);
  for (const SavedSearch& search : searches) {
    if (SameIgnoringCase(search.name, name)) return search.filter;
  }
  std::cerr << "No search is saved as '" << name << "' in " << settingsFile.string() << "; the saved ones are:";
  for (const SavedSearch& search : searches) std::cerr << " '" << search.name << "'";
  std::cerr << '\n';
  return std::nullopt;
}

int RunFind(const FindOptions& options) {
  CommandContext context(options.settingsFile);
  const Settings& settings = context.CurrentSettings();
  if (options.listSaved) {
    for (const SavedSearch& search : SavedSearches(context.SettingsFile())) {
      std::cout << search.name << '\t' << EncodeSearch(search.filter) << '\n';
    }
    return kFoundStatus;
  }
  const std::optional<SearchFilter> chosen =
      options.saved.empty() ? FilterOf(options) : SavedFilter(context.SettingsFile(), options.saved);
  if (!chosen) return kTroubleStatus;
  const SearchFilter& filter = *chosen;
  ViewSort sort{0, options.descending};
  if (!options.sort.empty()) {
    const std::vector<ViewColumn> columns = ViewColumnsOf(settings.custom);
    const std::optional<std::size_t> column = FindViewColumn(columns, options.sort);
    if (!column) {
      std::cerr << "--sort: no column '" << options.sort << "'; the columns are:";
      for (const ViewColumn& c : columns) std::cerr << ' ' << c.title;
      std::cerr << '\n';
      return kTroubleStatus;
    }
    sort.viewColumn = *column;
  }

  const std::optional<TableName> view = TableName::Of(options.view);
  if (!options.view.empty() && !view) {
    std::cerr << "--view: not a name a table or view can have: " << options.view << '\n';
    return kTroubleStatus;
  }

  CatalogueConnection& connection = context.Connection();
  if (Status opened = OpenCatalogue(connection, context.Port(), settings, settings.fileDsn); !opened) {
    context.ExplainFailure(opened);
    return kTroubleStatus;
  }
  Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, context.Port(), settings, filter, sort);
  if (!search) return kTroubleStatus;
  // Kept once the catalogue took it: a search it refuses is not kept.
  if (!options.save.empty()) {
    if (Status kept = SaveSearch(context.SettingsFile(), options.save, filter); !kept) {
      std::cerr << kept.GetError().what() << '\n';
      return kTroubleStatus;
    }
    std::cerr << "Saved the search as '" << options.save << "'\n";
  }
  if (view) {
    if (!search.Value().MakeView(*view)) return kTroubleStatus;
    std::cerr << "Made view '" << view->Text() << "' of the search\n";
  }

  const Expected<long long> shown = options.csv ? ExportCsv(search.Value(), std::cout) : PrintMatches(search.Value());
  std::cout.flush();
  if (!shown) return kTroubleStatus;
  return *shown > 0 ? kFoundStatus : kNothingFoundStatus;
}

}  // namespace

void RegisterFindCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<FindOptions>();
  CLI::App* find = app.add_subcommand(
      "find",
      "Find catalogued photos by words in their keywords, title, caption, byline, city, country and bound custom "
      "XMP columns (each word must occur, letter case ignored). Prints one line per match: the file's path, then a "
      "tab and its title when it has one; a backslash, tab, CR or LF in either is written \\\\, \\t, \\r, \\n. "
      "Exit status 0 when something matched, 1 when nothing did, 2 after an error");
  find->add_option("words", options->words, "Words to look for (none: every row)");
  find->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  find->add_option("--folder", options->folder, "Only this folder and its subfolders");
  find->add_option("--from", options->from, "Only photos dated on or after this day (YYYY-MM-DD)");
  find->add_option("--to", options->to, "Only photos dated on or before this day (YYYY-MM-DD)");
  find->add_option("--taken-from", options->takenFrom, "Only photos taken on or after this day (YYYY-MM-DD)");
  find->add_option("--taken-to", options->takenTo, "Only photos taken on or before this day (YYYY-MM-DD)");
  find->add_option("--camera", options->camera, "Only photos whose camera make, model or lens hold these words");
  find->add_option("--near", options->near,
                   "Only photos taken within KM kilometres of a place: LATITUDE,LONGITUDE,KM (decimal degrees)");
  find->add_option("--keyword", options->keywords,
                   "Only photos with this keyword, as written: a flat one, a level of a hierarchy (Places|Norway, "
                   "which takes every keyword below it) or its last part (Oslo); may be given again")
      ->allow_extra_args(false);
  find->add_option("--digital-source", options->digitalSource,
                   "Only photos whose digital source type holds this text (trainedAlgorithmicMedia, composite...)");
  find->add_flag("--copies", options->copies,
                 "Only files whose content another file shares (by the hashes scans keep with HashFiles=1)");
  find->add_option("--missing", options->missing,
                   "Only photos lacking one or more of these fields (as tessarine audit --require takes them)");
  find->add_option("--save", options->save,
                   "Keep this search in the settings under a name (letters, digits, spaces, _ - .), then run it");
  find->add_option("--view", options->view,
                   "Also make the search a view of the catalogue with this name, for other programs to read (a "
                   "view of that name is replaced, a table never)");
  CLI::Option* saved = find->add_option("--saved", options->saved, "Run the search kept under this name");
  find->add_flag("--searches", options->listSaved, "Print the saved searches, one a line: name, a tab, its filters");
  // A saved search is the whole search: it takes no other filter.
  for (const char* filterOption : {"words", "--folder", "--from", "--to", "--taken-from", "--taken-to", "--camera",
                                   "--near", "--keyword", "--digital-source", "--copies", "--missing"}) {
    saved->excludes(filterOption);
  }
  find->add_option("--sort", options->sort, "Sort by this column (title or column name; default: Folder, then File)");
  find->add_flag("-r,--descending", options->descending, "Sort descending");
  find->add_flag("--csv", options->csv,
                 "Write the view's columns as CSV (RFC 4180, UTF-8, no byte order mark), every value as stored: a "
                 "date as IIM (20010920) or XMP (2001-09-20) wrote it, unlike the window's export");
  find->callback([options, &exitStatus] { exitStatus = RunFind(*options); });
}

}  // namespace tessarine
