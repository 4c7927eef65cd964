#pragma once
// A main window on a settings file of the test's own, with its message boxes, beeps, modal
// dialogs and opened documents captured instead of shown; and the same window on an SQLite
// catalogue of its own.

#include <QAbstractButton>
#include <QDialog>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "support/TempDir.h"

namespace tessarine::test {

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
    Widget* widget = window->findChild<Widget*>(name);
    if (!widget) qFatal("no widget named %s", qPrintable(name));
    return widget;
  }
  template <class Widget = QWidget>
  Widget* Find(const char* name) const {
    return Find<Widget>(QString::fromLatin1(name));
  }
  bool Checked(const char* name) const { return Find<QAbstractButton>(name)->isChecked(); }
  bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
  bool Hidden(const QString& name) const { return Find(name)->isHidden(); }
  QString Status() const;

  // The controls that only matter when XMP is read (Only IPTC unticked): enabled and their bullets
  // shown, or greyed and their bullets hidden.
  void ExpectXmpControlsEnabled(bool enabled) const;

  // A mouse click on main tab t (1..6), as the user makes it.
  void ClickTab(int t) const {
    auto* strip = Find<QTabBar>("TabStripMain");
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(t - 1).center());
  }
  void ClickLabel(const char* name) const {
    QWidget* label = Find<QWidget>(name);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
  }
  void Click(const char* name) const { Find<QAbstractButton>(name)->click(); }

  std::string Setting(const char* section, const char* key) const;
  std::string SettingsText() const { return ReadFile(settingsFile); }

  TempDir dir;
  std::filesystem::path settingsFile = dir / "Tessarine PRO.ini";
  std::unique_ptr<TessarineProWindow> window;
  std::vector<MessageRequest> messages;
  std::vector<QString> dialogs;
  std::vector<QString> opened;
  std::function<void(QDialog&)> onDialog;
  bool answerYes = true;
  int beeps = 0;
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
