#pragma once
// Tab "4 - Metadata": Only IPTC/IIM and the IIM/XMP precedence, stored as they are clicked, with
// the rule that greys the XMP controls; the custom XMP editor and its summary; the web links.

#include "gui/MetadataFrame.h"

namespace tessarine {

class WindowContext;

class MetadataTab : public MetadataFrame {
  Q_OBJECT
 public:
  explicit MetadataTab(WindowContext& context, QWidget* parent = nullptr);

  // Shows the stored options and the custom XMP summary without storing anything.
  void ShowSettings();
  void ConnectHandlers();

 private:
  void chkOnlyIPTC_Click();
  void optXMPOverIPTC_Click(int index);
  void ApplyOnlyIptcRule(bool onlyIptc);
  void cmdXMPCustomized_Click();
  // The custom XMP summary in txtXMPCustomized, from the current definitions.
  void ShowCustomXmpSummary();

  WindowContext& m_context;
};

}  // namespace tessarine
