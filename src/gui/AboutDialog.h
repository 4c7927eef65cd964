#pragma once
// frmAbout: version, what the program collects, credits and the FreeImage licence.

#include <QDialog>
#include <functional>

class QPushButton;

namespace tessarine {

class LinkLabel;

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  using DocumentOpener = std::function<bool(const QString&)>;

  // licenseFile: the path of license-fi.txt beside the program.
  AboutDialog(QString licenseFile, DocumentOpener openDocument, QWidget* parent = nullptr);

  LinkLabel* ImageLogo = nullptr;
  LinkLabel* lblLinkIPTCIIM = nullptr;
  LinkLabel* lbLinkIPTCCore = nullptr;
  LinkLabel* lbLinkXMP = nullptr;
  LinkLabel* lblFreeImageLicense = nullptr;
  QPushButton* cmdOK = nullptr;

 private:
  QString m_licenseFile;
  DocumentOpener m_openDocument;
};

}  // namespace tessarine
