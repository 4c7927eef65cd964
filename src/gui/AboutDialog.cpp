#include "gui/AboutDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/WindowTitle.h"
#include "gui/Bullet.h"
#include "gui/LinkLabel.h"
#include "gui/ProgramIcon.h"
#include "gui/WebLinks.h"
#include "gui/WidgetNames.h"

namespace tessarine {

AboutDialog::AboutDialog(QString licenseFile, DocumentOpener openDocument, QWidget* parent)
    : QDialog(parent), m_licenseFile(std::move(licenseFile)), m_openDocument(std::move(openDocument)) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About Tessarine PRO"));
  auto help = [this](int index, const QString& text) {
    auto* label = Named(new QLabel(text, this), "lblHelpAbout", index);
    label->setWordWrap(true);
    return label;
  };
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(8);

  auto* header = new QHBoxLayout;
  ImageLogo = Named(new LinkLabel(QString(), this), QStringLiteral("ImageLogo"));
  ImageLogo->setStyleSheet(QString());
  ImageLogo->setPixmap(DrawProgramIcon(64));
  header->addWidget(ImageLogo);
  QLabel* version = help(0, QStringLiteral("Tessarine PRO version %1").arg(QLatin1String(kVersionText.data(),
                                                                                            kVersionText.size())));
  QFont big = version->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  version->setFont(big);
  header->addWidget(version, 1);
  layout->addLayout(header);

  layout->addWidget(help(1, QStringLiteral("Build your professional images database")));
  layout->addWidget(help(2, QStringLiteral("Tessarine PRO can collect the following metadata embedded in images:")));
  lblLinkIPTCIIM = Named(new LinkLabel(QStringLiteral("IPTC/IIM"), this), QStringLiteral("lblLinkIPTCIIM"));
  lbLinkIPTCCore = Named(new LinkLabel(QStringLiteral("IPTC Core"), this), QStringLiteral("lbLinkIPTCCore"));
  lbLinkXMP = Named(new LinkLabel(QStringLiteral("XMP custom metadata"), this), QStringLiteral("lbLinkXMP"));
  for (LinkLabel* link : {lblLinkIPTCIIM, lbLinkIPTCCore, lbLinkXMP}) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 0, 0, 0);
    row->addWidget(MakeBullet(this));
    row->addWidget(link);
    row->addStretch();
    layout->addLayout(row);
  }
  layout->addWidget(help(3, QStringLiteral("The code that reads IPTC/IIM and XMP metadata is Tessarine PRO's own, "
                                           "written for this program.")));
  layout->addWidget(help(4, QStringLiteral("Tessarine PRO uses FreeImage library to make thumbnails")));
  lblFreeImageLicense = Named(new LinkLabel(QStringLiteral("Read FreeImage Public License"), this),
                              QStringLiteral("lblFreeImageLicense"));
  layout->addWidget(lblFreeImageLicense);
  layout->addWidget(help(5, QStringLiteral("Copyright 2026 the Tessarine PRO developers. Tessarine PRO is free "
                                           "software under the GNU General Public License, version 3 or any later "
                                           "version (GPL-3.0-or-later), and comes with no warranty.")));

  cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  layout->addSpacing(8);
  layout->addWidget(cmdOK, 0, Qt::AlignHCenter);
  setMinimumWidth(420);

  auto open = [this](const QString& target) {
    if (m_openDocument) m_openDocument(target);
  };
  connect(ImageLogo, &LinkLabel::clicked, this, [open] { open(QString::fromLatin1(kPublisherAddress)); });
  connect(lblLinkIPTCIIM, &LinkLabel::clicked, this, [open] { open(QString::fromLatin1(kIptcIimAddress)); });
  connect(lbLinkIPTCCore, &LinkLabel::clicked, this, [open] { open(QString::fromLatin1(kIptcCoreAddress)); });
  connect(lbLinkXMP, &LinkLabel::clicked, this, [open] { open(QString::fromLatin1(kXmpAddress)); });
  connect(lblFreeImageLicense, &LinkLabel::clicked, this, [this, open] { open(m_licenseFile); });
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tessarine
