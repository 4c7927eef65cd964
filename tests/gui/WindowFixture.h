#pragma once
// A main window on a settings file of the test's own, with its message boxes, modal dialogs and
// opened documents captured instead of shown; and the same window on an SQLite catalogue of its
// own. Also the lookups by object name the dialog tests share.

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "core/IniFile.h"
#include "gui/ScanTab.h"
#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "support/SqliteCatalogue.h"
#include "support/TempDir.h"

namespace tessarine::test {

template <class Widget = QWidget>
Widget* FindIn(const QObject* parent, const QString& name) {
  Widget* widget = parent->findChild<Widget*>(name);
  if (!widget) qFatal("no widget named %s", qPrintable(name));
  return widget;
}

inline void ClickCentre(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

// Sets each QLineEdit named under `parent` to its text.
inline void SetTexts(const QObject* parent, std::initializer_list<std::pair<const char*, QString>> boxes) {
  for (const auto& [name, text] : boxes) FindIn<QLineEdit>(parent, QString::fromLatin1(name))->setText(text);
}

// Keys of a settings section and their values.
using Keys = std::vector<std::pair<const char*, const char*>>;

class WindowFixture {
 public:
  // Writes the settings text (nothing when null) and, unless told not to, opens the window on it.
  explicit WindowFixture(const char* settingsText = nullptr, bool open = true) {
    if (settingsText) WriteFile(settingsFile, settingsText);
    if (open) Open();
  }

  void Open() {
    // The hooks go in before the start-up, so its folder-list load already answers through them.
    window = std::make_unique<TessarineProWindow>(settingsFile, [this](TessarineProWindow& w) {
      w.WindowPort().SetMessageAnswerer([this](const MessageRequest& request) {
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
    });
    window->resize(1100, 720);
    window->show();
  }

  template <class Widget = QWidget>
  Widget* Find(const QString& name) const {
    return FindIn<Widget>(window.get(), name);
  }
  bool Checked(const QString& name) const { return Find<QAbstractButton>(name)->isChecked(); }
  bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
  bool Hidden(const QString& name) const { return Find(name)->isHidden(); }
  // The names among `names` whose control is enabled (or, with false, disabled).
  QStringList EnabledAmong(const std::vector<const char*>& names, bool enabled = true) const {
    QStringList found;
    for (const char* name : names) {
      if (Enabled(QString::fromLatin1(name)) == enabled) found << QString::fromLatin1(name);
    }
    return found;
  }
  QString Status() const { return Find<QLabel>("lblStatus")->text(); }
  // A text box's plain text, a line box's, label's or button's text, a group box's title.
  QString TextOf(const char* name) const {
    for (const char* property : {"plainText", "text", "title"}) {
      if (const QVariant text = Find(name)->property(property); text.isValid()) return text.toString();
    }
    qFatal("%s shows no text", name);
  }
  void SetTexts(std::initializer_list<std::pair<const char*, QString>> boxes) const {
    tessarine::test::SetTexts(window.get(), boxes);
  }
  // The one main frame shown (1..6), 0 for none, -1 for more than one.
  int ShownFrame() const {
    int shown = 0;
    for (int i = 1; i <= TessarineProWindow::kTabCount; ++i) {
      if (!Hidden(QStringLiteral("FrameMain_%1").arg(i))) shown = shown == 0 ? i : -1;
    }
    return shown;
  }

  // A mouse click on main tab t (1..6), as the user makes it.
  void ClickTab(int t) const {
    auto* strip = Find<QTabBar>("TabStripMain");
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(t - 1).center());
  }
  void ClickLabel(const QString& name) const { ClickCentre(Find(name)); }
  void Click(const QString& name) const { Find<QAbstractButton>(name)->click(); }
  // Clicks a button that starts a scan and waits (up to a minute) until the scan ends.
  void ClickAndWaitForScan(const QString& name) const {
    QSignalSpy finished(window->findChild<ScanTab*>(), &ScanTab::scanFinished);
    Click(name);
    QVERIFY(finished.wait(60'000));
  }

  std::string Setting(const char* section, const char* key) const { return ReadSetting(settingsFile, section, key); }
  void ExpectSettings(const char* section, const Keys& keys) const {
    for (const auto& [key, value] : keys) {
      QVERIFY2(Setting(section, key) == value, (key + ("=" + Setting(section, key))).c_str());
    }
  }
  // The window has shown `count` messages, the last with `icon`.
  void ExpectMessages(std::size_t count, MessageIcon icon) const {
    QCOMPARE(messages.size(), count);
    QVERIFY(count > 0 && messages.back().icon == icon);
  }

  TempDir dir;
  std::filesystem::path settingsFile = dir / "Tessarine PRO.ini";
  std::unique_ptr<TessarineProWindow> window;
  std::vector<MessageRequest> messages;
  std::vector<QString> dialogs;
  std::vector<QString> opened;
  std::function<void(QDialog&)> onDialog;
  // Called with each message before it is answered (on the window's thread, while a scan waits).
  std::function<void(const MessageRequest&)> onMessage;
  bool answerYes = true;
};

// The window on an SQLite catalogue reached through a file data source beside its settings file:
// the settings (with `moreSettings` after the kind of database) and, when asked, both tables; with
// `photoFiles`, written under `photos`, that folder listed and scanned.
class SqliteWindow : public WindowFixture {
 public:
  explicit SqliteWindow(bool createTables, const std::string& moreSettings = "",
                        const std::vector<std::string>& photoFiles = {})
      : WindowFixture(nullptr, false) {
    WriteSqliteSettings(settingsFile, moreSettings);
    std::filesystem::create_directories(photos / "sub");
    for (const std::string& name : photoFiles) WriteFile(photos / name, name);
    if (createTables) {
      const std::string message = CreateSqliteCatalogue(settingsFile, photoFiles.empty() ? "" : photos);
      if (!message.empty()) qFatal("setup: %s", message.c_str());
    }
    Open();
  }
  ~SqliteWindow() { m_catalogue.CloseConnection(); }

  // The first value of the first row the statement gives, "" without one.
  std::string Sql(const std::string& statement) {
    if (!m_catalogue.IsOpen()) m_catalogue.OpenConnection(DataSourceOf(LoadSettings(settingsFile), true));
    auto rows = m_catalogue.ExecuteStatement(statement);
    if (!rows || rows->IsEof()) return {};
    return rows->FieldValue(0).value_or("");
  }

  std::filesystem::path photos = dir / "photos";

 private:
  CatalogueConnection m_catalogue;
};

}  // namespace tessarine::test
