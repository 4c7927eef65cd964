#include "WindowFixture.h"

#include <QLabel>

#include "core/IniFile.h"
#include "support/SqliteCatalogue.h"

namespace tessarine::test {

void WindowFixture::Open() {
  // The hooks go in before the start-up, so its folder-list load already answers through them.
  auto capture = [this](TessarineProWindow& w) {
    WindowUserPort& port = w.WindowPort();
    port.SetMessageAnswerer([this](const MessageRequest& request) {
      messages.push_back(request);
      if (request.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
      return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    });
    port.SetBeeper([this] { ++beeps; });
    w.SetDialogRunner([this](QDialog& dialog) {
      dialogs.push_back(dialog.objectName());
      if (onDialog) onDialog(dialog);
    });
    w.SetDocumentOpener([this](const QString& target) {
      opened.push_back(target);
      return true;
    });
  };
  window = std::make_unique<TessarineProWindow>(settingsFile, capture);
  window->resize(1100, 720);
  window->show();
}

QString WindowFixture::Status() const { return Find<QLabel>("lblStatus")->text(); }

std::string WindowFixture::Setting(const char* section, const char* key) const {
  return ReadSetting(settingsFile, section, key);
}

void WindowFixture::ExpectXmpControlsEnabled(bool enabled) const {
  for (const char* name : {"optXMPOverIPTC_0", "optXMPOverIPTC_1", "cmdXMPCustomized", "txtXMPCustomized"}) {
    QVERIFY2(Enabled(name) == enabled, name);
  }
  for (int i = 6; i <= 11; ++i) QCOMPARE(Enabled(QStringLiteral("lblHelpMetadata_%1").arg(i)), enabled);
  QVERIFY(Enabled("lblHelpMetadata_5"));
  QCOMPARE(Hidden("ImagePuceMetadata_2"), !enabled);
  QCOMPARE(Hidden("ImagePuceMetadata_3"), !enabled);
  QVERIFY(!Hidden("ImagePuceMetadata_1"));
}

SqliteWindow::SqliteWindow(bool createTables, const std::string& moreSettings,
                           const std::vector<std::string>& photoFiles)
    : WindowFixture(nullptr, false) {
  WriteSqliteSettings(settingsFile, moreSettings);
  std::filesystem::create_directories(photos / "sub");
  for (const std::string& name : photoFiles) WriteFile(photos / name, name);
  if (createTables) {
    const std::string message = CreateSqliteCatalogue(settingsFile, photoFiles.empty() ? std::filesystem::path() : photos);
    if (!message.empty()) qFatal("setup: %s", message.c_str());
  }
  Open();
}

SqliteWindow::~SqliteWindow() { m_catalogue.CloseConnection(); }

std::string SqliteWindow::Sql(const std::string& statement) {
  if (!m_catalogue.IsOpen()) m_catalogue.OpenConnection(DataSourceOf(LoadSettings(settingsFile), true));
  auto rows = m_catalogue.ExecuteStatement(statement);
  if (!rows || rows->IsEof()) return {};
  return rows->FieldValue(0).value_or("");
}

}  // namespace tessarine::test
