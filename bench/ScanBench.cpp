// Scans a generated tree of JPEG files into an embedded SQLite catalogue and prints files per
// second, with thumbnails off and on. Usage: scan_bench [FILES] [WIDTH]
#include <FreeImage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/UserPort.h"
#include "metadata/ImageBytes.h"
#include "support/TempDir.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"

namespace {

using namespace tessarine;

class QuietPort final : public UserPort {
 public:
  void SetStatus(std::string_view) override {}
  MessageAnswer ShowMessage(std::string_view text, MessageIcon, std::string_view, MessageButtons) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    return MessageAnswer::Yes;
  }
  void Beep() override {}
  void SetBusy(bool) override {}
  void AddLogLine(std::string_view) override {}
  void ShowPreview(const PreviewImage&) override {}
  void ProcessEvents() override {}
};

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 500;
  const int width = argc > 2 ? std::atoi(argv[2]) : 1200;
  test::TempDir dir;
  const auto tree = dir / "tree";
  std::filesystem::create_directories(tree);

  // One real JPEG with IIM and XMP, copied under many names in folders of 100.
  FIBITMAP* bitmap = FreeImage_Allocate(width, width * 2 / 3, 24);
  FreeImage_Save(FIF_JPEG, bitmap, (dir / "seed.jpg").c_str(), 0);
  FreeImage_Unload(bitmap);
  std::string jpeg = test::ReadFile(dir / "seed.jpg");
  jpeg = jpeg.substr(0, 2) + test::App13(test::Resource(0x0404, test::Iim(5, "Title") + test::Iim(25, "k"))) +
         test::App1Xmp(test::Packet("<rdf:Description/>")) + jpeg.substr(2);
  for (int i = 0; i < files; ++i) {
    const auto folder = tree / ("f" + std::to_string(i / 100));
    std::filesystem::create_directories(folder);
    test::WriteFile(folder / ("img" + std::to_string(i) + ".jpg"), jpeg);
  }
  test::WriteFile(dir / "cat.dsn", "[ODBC]\nDriver=SQLite3\nDatabase=" + (dir / "cat.sqlite").string() + "\n");

  QuietPort port;
  Settings settings;
  settings.dsn = (dir / "cat.dsn").string();
  settings.fileDsn = true;
  settings.dbms = DbmsKind::Sqlite;
  CatalogueConnection connection(port);
  connection.OpenConnection(settings, true);
  connection.SendStatement(FoldersTableStatement(settings.folders));
  connection.SendStatement(ImagesTableStatement(settings.images, SqlDialectFor(settings.dbms)));
  connection.CloseConnection();

  FolderEntry entry{FolderListText(tree.string()), "OK", "", "", true, ""};
  for (bool thumbnails : {false, true}) {
    settings.createThumbnails = thumbnails;
    settings.reCreateThumbnails = true;
    const auto start = std::chrono::steady_clock::now();
    const ScanResult result = ScanFolders(connection, port, settings, true, dir / "x.ini", {entry}, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d files of %dx%d, thumbnails %s: %.2f s, %.1f files/s\n", static_cast<int>(result.files), width,
                width * 2 / 3, thumbnails ? "on " : "off", seconds, static_cast<double>(result.files) / seconds);
  }
  return 0;
}
