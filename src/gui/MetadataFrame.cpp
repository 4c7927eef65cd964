#include "gui/MetadataFrame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/Bullet.h"
#include "gui/FrameLayout.h"
#include "gui/LinkLabel.h"
#include "gui/WebLinks.h"
#include "gui/WidgetNames.h"

namespace tessarine {

MetadataFrame::MetadataFrame(QWidget* parent) : QFrame(parent) {
  const char* helpTexts[12] = {
      "Tessarine PRO collects the following metadata embedded in images:",
      "- IPTC Information Interchange Model (IIM) also known as \"legacy IPTC\"",
      "Note: non standard IPTC/IIM fields are gathered in a single column named 'Customized'",
      "- data in Extensible Metadata Platform (XMP) format; it includes:",
      "- IPTC for XMP (IPTC4XMP) also known as \"IPTC Core\"",
      "- custom XMP data stored using Photoshop custom panels or Tessarine (or other compatible technique)",
      "When IPTC/IIM and corresponding XMP data are not synchronized:",
      "To capture custom XMP metadata, you must know:",
      "- XMP namespace and prefix used in the XMP schema",
      "- XMP properties names (fields names)",
      "Tessarine PRO can collect up to 100 metadata fields in up to 10 different XMP namespaces.",
      "Each field value is stored in images table from column 'XMPCustom01' to column 'XMPCustom100'",
  };
  for (int i = 0; i < 12; ++i) {
    lblHelpMetadata[i] = Named(new QLabel(QString::fromLatin1(helpTexts[i]), this), "lblHelpMetadata", i);
    lblHelpMetadata[i]->setWordWrap(true);
  }
  for (int i = 0; i < 4; ++i) ImagePuceMetadata[i] = Named(MakeBullet(this), "ImagePuceMetadata", i);
  auto indented = [](int extra = 0) {
    auto* box = new QVBoxLayout;
    box->setContentsMargins(IndentOfStepText() + extra, 0, 0, 0);
    box->setSpacing(1);
    return box;
  };

  auto* layout = new QVBoxLayout(this);

  // What is collected, with the "More information on" box at the top right.
  auto* top = new QHBoxLayout;
  auto* collected = new QVBoxLayout;
  AddStep(collected, ImagePuceMetadata[0], lblHelpMetadata[0]);
  auto* kinds = indented();
  kinds->addWidget(lblHelpMetadata[1]);
  auto* note = indented(12);
  note->addWidget(lblHelpMetadata[2]);
  kinds->addLayout(note);
  kinds->addWidget(lblHelpMetadata[3]);
  auto* xmpKinds = indented(12);
  xmpKinds->addWidget(lblHelpMetadata[4]);
  xmpKinds->addWidget(lblHelpMetadata[5]);
  kinds->addLayout(xmpKinds);
  collected->addLayout(kinds);
  top->addLayout(collected, 1);

  auto* more = Named(new QGroupBox(QStringLiteral("More information on"), this), QStringLiteral("FrameMoreInformation"));
  auto* moreLayout = new QVBoxLayout(more);
  lblLinkIPTCIIM = Named(new LinkLabel(QStringLiteral("IPTC/IIM"), more), QStringLiteral("lblLinkIPTCIIM"));
  lbLinkXMP = Named(new LinkLabel(QStringLiteral("XMP"), more), QStringLiteral("lbLinkXMP"));
  lbLinkIPTCCore = Named(new LinkLabel(QStringLiteral("IPTC Core"), more), QStringLiteral("lbLinkIPTCCore"));
  lblLinkIPTCIIM->setToolTip(QString::fromLatin1(kIptcIimAddress));
  lbLinkXMP->setToolTip(QString::fromLatin1(kXmpAddress));
  lbLinkIPTCCore->setToolTip(QString::fromLatin1(kIptcCoreAddress));
  moreLayout->addWidget(lblLinkIPTCIIM);
  moreLayout->addWidget(lbLinkXMP);
  moreLayout->addWidget(lbLinkIPTCCore);
  top->addWidget(more, 0, Qt::AlignTop);
  layout->addLayout(top);

  // Only IPTC/IIM.
  auto* only = new QHBoxLayout;
  only->setSpacing(6);
  chkOnlyIPTC = Named(new QCheckBox(QStringLiteral("collects only IPTC/IIM"), this), QStringLiteral("chkOnlyIPTC"));
  auto* caution = Named(new QLabel(QStringLiteral("Caution:"), this), "lblHelpOnlyIPTC", 0);
  caution->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  only->addWidget(ImagePuceMetadata[1], 0, Qt::AlignVCenter);
  only->addWidget(chkOnlyIPTC);
  only->addSpacing(16);
  only->addWidget(caution);
  only->addWidget(Named(new QLabel(QStringLiteral("use this option only if your images do not contain XMP data"), this),
                        "lblHelpOnlyIPTC", 1), 1);
  layout->addSpacing(8);
  layout->addLayout(only);
  chkModernFormats = Named(new QCheckBox(QStringLiteral("Read modern formats and sidecars"), this),
                           QStringLiteral("chkModernFormats"));
  auto* modern = indented();
  modern->addWidget(chkModernFormats);
  layout->addLayout(modern);

  // IIM/XMP precedence.
  AddStep(layout, ImagePuceMetadata[2], lblHelpMetadata[6]);
  optXMPOverIPTC = new QButtonGroup(this);
  optXMPOverIPTC->setObjectName(QStringLiteral("optXMPOverIPTC"));
  auto* precedence = new QHBoxLayout;
  precedence->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  const char* captions[] = {"Tessarine PRO collects XMP [like Photoshop does]", "Tessarine PRO collects legacy IPTC/IIM"};
  for (int i = 0; i < 2; ++i) {
    auto* option = Named(new QRadioButton(QString::fromLatin1(captions[i]), this), "optXMPOverIPTC", i);
    optXMPOverIPTC->addButton(option, i);
    precedence->addWidget(option);
  }
  precedence->addStretch();
  layout->addLayout(precedence);
  chkKeepIimWhenXmpMissing = Named(new QCheckBox(QStringLiteral("Keep the IIM value when the XMP packet lacks it"), this),
                                   QStringLiteral("chkKeepIimWhenXmpMissing"));
  auto* keep = indented();
  keep->addWidget(chkKeepIimWhenXmpMissing);
  layout->addLayout(keep);

  // Custom XMP fields.
  AddStep(layout, ImagePuceMetadata[3], lblHelpMetadata[7]);
  auto* custom = indented();
  custom->addWidget(lblHelpMetadata[8]);
  custom->addWidget(lblHelpMetadata[9]);
  custom->addSpacing(4);
  custom->addWidget(lblHelpMetadata[10]);
  custom->addWidget(lblHelpMetadata[11]);
  layout->addLayout(custom);

  auto* summary = new QHBoxLayout;
  summary->setContentsMargins(IndentOfStepText(), 4, 0, 0);
  txtXMPCustomized = Named(new QPlainTextEdit(this), QStringLiteral("txtXMPCustomized"));
  txtXMPCustomized->setReadOnly(true);
  txtXMPCustomized->setFixedHeight(txtXMPCustomized->fontMetrics().lineSpacing() * 2 + 14);
  txtXMPCustomized->setMaximumWidth(360);
  cmdXMPCustomized =
      Named(new QPushButton(QStringLiteral("Define custom XMP fields"), this), QStringLiteral("cmdXMPCustomized"));
  summary->addWidget(txtXMPCustomized, 1);
  summary->addWidget(cmdXMPCustomized, 0, Qt::AlignVCenter);
  summary->addStretch(1);
  layout->addLayout(summary);

  layout->addStretch();
  lblNextStep = AddNextStep(layout, this, 4, QStringLiteral("Next -> Scan folders containing images"));
}

}  // namespace tessarine
