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
#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "support/TempDir.h"

namespace tessarine::test {

template <class Widget = QWidget>
Widget* FindIn(const QObject* parent, const QString& name) {
  Widget* widget = parent->findChild<Widget*>(name);
  if (!widget) qFatal("no widget named %s", qPrintable(name));
  return widget;
}

inline void ClickCentre(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

using NamedTexts = std::initializer_list<std::pair<const char*, QString>>;
// Sets each QLineEdit named under `parent` to its text.
void SetTexts(const QObject* parent, NamedTexts boxes);

class WindowFixture {
 public:
  // Writes the settings text (nothing when null) and, unless told not to, opens the window on it.
  explicit WindowFixture(const char* settingsText = nullptr, bool open = true) {
    if (settingsText) WriteFile(settingsFile, settingsText);
    if (open) Open();
  }
  void Open();

  template <class Widget = QWidget>
  Widget* Find(const QString& name) const {
    return FindIn<Widget>(window.get(), name);
  }
  bool Checked(const QString& name) const { return Find<QAbstractButton>(name)->isChecked(); }
  bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
  bool Hidden(const QString& name) const { return Find(name)->isHidden(); }
  // The names among `names` whose control is enabled (or, with false, disabled).
  QStringList EnabledAmong(const std::vector<const char*>& names, bool enabled = true) const;
  QString Status() const { return Find<QLabel>("lblStatus")->text(); }
  // What the line box, text box, label, button or group box of that name shows.
  QString TextOf(const char* name) const;
  void SetTexts(NamedTexts boxes) const { tessarine::test::SetTexts(window.get(), boxes); }
  // The one main frame shown (1..6), 0 for none, -1 for more than one.
  int ShownFrame() const;

  // A mouse click on main tab t (1..6), as the user makes it.
  void ClickTab(int t) const {
    auto* strip = Find<QTabBar>("TabStripMain");
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(t - 1).center());
  }
  void ClickLabel(const QString& name) const { ClickCentre(Find(name)); }
  void Click(const QString& name) const { Find<QAbstractButton>(name)->click(); }

  std::string Setting(const char* section, const char* key) const;
  void ExpectSettings(const char* section, std::initializer_list<std::pair<const char*, const char*>> keys) const;
  // The window has shown `count` messages, the last with `icon`.
  void ExpectMessages(std::size_t count, MessageIcon icon) const;

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

// The window on an SQLite catalogue reached through a file data source beside its settings file.
class SqliteWindow : public WindowFixture {
 public:
  // Writes the settings (with `moreSettings` after the kind of database) and creates both tables
  // when asked; with `photoFiles`, writes them under `photos` and lists and scans that folder.
  // Then opens the window.
  explicit SqliteWindow(bool createTables, const std::string& moreSettings = "",
                        const std::vector<std::string>& photoFiles = {});
  ~SqliteWindow();

  // The first value of the first row the statement gives, "" without one.
  std::string Sql(const std::string& statement);

  std::filesystem::path photos = dir / "photos";

 private:
  CatalogueConnection m_catalogue;
};

}  // namespace tessarine::test
