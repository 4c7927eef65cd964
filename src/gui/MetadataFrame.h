#pragma once
// The widgets of tab "4 - Metadata": which metadata to collect, IIM/XMP precedence and custom XMP fields.
// Their handlers live in MetadataTab, which derives from this frame.

#include <QFrame>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tessarine {

class LinkLabel;

class MetadataFrame : public QFrame {
  Q_OBJECT
 public:
  explicit MetadataFrame(QWidget* parent = nullptr);

  LinkLabel* lblLinkIPTCIIM = nullptr;
  LinkLabel* lbLinkXMP = nullptr;
  LinkLabel* lbLinkIPTCCore = nullptr;
  QCheckBox* chkOnlyIPTC = nullptr;
  QCheckBox* chkModernFormats = nullptr;
  QCheckBox* chkKeepIimWhenXmpMissing = nullptr;
  QButtonGroup* optXMPOverIPTC = nullptr;  // 0 XMP wins, 1 IPTC/IIM wins
  QLabel* lblHelpMetadata[12] = {};
  QLabel* ImagePuceMetadata[4] = {};
  QPlainTextEdit* txtXMPCustomized = nullptr;
  QPushButton* cmdXMPCustomized = nullptr;
  LinkLabel* lblNextStep = nullptr;
};

}  // namespace tessarine
