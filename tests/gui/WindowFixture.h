#pragma once
// A main window on a settings file of the test's own, with its message boxes, beeps, modal
// dialogs and opened documents captured instead of shown.

#include <QAbstractButton>
#include <QDialog>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "support/TempDir.h"

namespace tessarine::test {

class WindowFixture {
 public:
  // Writes the settings text (nothing when null) and opens the window on it.
  explicit WindowFixture(const char* settingsText = nullptr) {
    if (settingsText) WriteFile(settingsFile, settingsText);
    Open();
  }

  void Open() {
    window = std::make_unique<TessarineProWindow>(settingsFile, [this](TessarineProWindow& w) { Capture(w); });
    window->resize(1100, 720);
    window->show();
  }

  void Capture(TessarineProWindow& w) {
    WindowUserPort& port = w.WindowPort();
    port.SetMessageAnswerer([this](const MessageRequest& request) {
      messages.push_back(request);
      events.push_back("message");
      if (request.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
      return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    });
    port.SetBeeper([this] {
      ++beeps;
      events.push_back("beep");
    });
    w.SetDialogRunner([this](QDialog& dialog) {
      dialogs.push_back(dialog.objectName());
      if (onDialog) onDialog(dialog);
    });
    w.SetDocumentOpener([this](const QString& target) {
      opened.push_back(target);
      return true;
    });
  }

  template <class Widget = QWidget>
  Widget* Find(const QString& name) const {
    return window->findChild<Widget*>(name);
  }
  template <class Widget = QWidget>
  Widget* Find(const char* name) const {
    return Find<Widget>(QString::fromLatin1(name));
  }
  bool Checked(const char* name) const { return Find<QAbstractButton>(name)->isChecked(); }
  bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
  bool Hidden(const QString& name) const { return Find(name)->isHidden(); }

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
  std::vector<std::string> events;
  std::vector<QString> dialogs;
  std::vector<QString> opened;
  std::function<void(QDialog&)> onDialog;
  bool answerYes = true;
  int beeps = 0;
};

}  // namespace tessarine::test
