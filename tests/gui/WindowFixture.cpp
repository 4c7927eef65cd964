#include "WindowFixture.h"

#include "core/IniFile.h"
#include "support/SqliteCatalogue.h"

namespace tessarine::test {

void SetTexts(const QObject* parent, NamedTexts boxes) {
  for (const auto& [name, text] : boxes) FindIn<QLineEdit>(parent, QString::fromLatin1(name))->setText(text);
}

void WindowFixture::Open() {
  // The hooks go in before the start-up, so its folder-list load already answers through them.
  auto capture = [this](TessarineProWindow& w) {
    WindowUserPort& port = w.WindowPort();
    port.SetMessageAnswerer([this](const MessageRequest& request) {
      messages.push_back(request);
      if (onMessage) onMessage(request);
      if (request.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
      return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    });
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

QStringList WindowFixture::EnabledAmong(const std::vector<const char*>& names, bool enabled) const {
  QStringList found;
  for (const char* name : names) {
    if (Enabled(QString::fromLatin1(name)) == enabled) found << QString::fromLatin1(name);
  }
  return found;
}

QString WindowFixture::TextOf(const char* name) const {
  // A text box's plain text, a line box's, label's or button's text, a group box's title.
  for (const char* property : {"plainText", "text", "title"}) {
    if (const QVariant text = Find(name)->property(property); text.isValid()) return text.toString();
  }
  qFatal("%s shows no text", name);
}

int WindowFixture::ShownFrame() const {
  int shown = 0;
  for (int i = 1; i <= 6; ++i) {
    if (!Hidden(QStringLiteral("FrameMain_%1").arg(i))) shown = shown == 0 ? i : -1;
  }
  return shown;
}

std::string WindowFixture::Setting(const char* section, const char* key) const {
  return ReadSetting(settingsFile, section, key);
}

void WindowFixture::ExpectSettings(const char* section, std::initializer_list<std::pair<const char*, const char*>> keys) const {
  for (const auto& [key, value] : keys) QVERIFY2(Setting(section, key) == value, (key + ("=" + Setting(section, key))).c_str());
}

void WindowFixture::ExpectMessages(std::size_t count, MessageIcon icon) const {
  QCOMPARE(messages.size(), count);
  QVERIFY(count > 0 && messages.back().icon == icon);
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
