#pragma once
// What differs between two metadata records, "" when nothing does: the one comparison of the
// metadata tests and the fuzzer.

#include <string>

#include "metadata/MetadataRecord.h"

namespace tessarine::test {

inline std::string ShownColumns(const ColumnValues& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!values[i].empty()) text += std::to_string(i) + "=" + values[i] + "|";
  }
  return text;
}

inline std::string RecordDifference(const MetadataRecord& a, const MetadataRecord& b) {
  std::string differs;
  auto compare = [&](const char* what, const auto& x, const auto& y) {
    if (!(x == y)) differs += std::string(what) + " differs; ";
  };
  compare("support code", a.supportIptc, b.supportIptc);
  if (ShownColumns(a.iim) != ShownColumns(b.iim)) {
    differs += "IIM: " + ShownColumns(a.iim) + " against " + ShownColumns(b.iim) + "; ";
  }
  if (ShownColumns(a.xmp) != ShownColumns(b.xmp)) {
    differs += "XMP: " + ShownColumns(a.xmp) + " against " + ShownColumns(b.xmp) + "; ";
  }
  compare("copyright status", a.copyrightStatus, b.copyrightStatus);
  compare("custom values", a.custom, b.custom);
  compare("packet state", a.xmpState, b.xmpState);
  compare("problems", a.problems, b.problems);
  bool sameAlerts = a.alerts.size() == b.alerts.size();
  for (std::size_t i = 0; sameAlerts && i < a.alerts.size(); ++i) {
    sameAlerts = a.alerts[i].kind == b.alerts[i].kind && a.alerts[i].text == b.alerts[i].text;
  }
  if (!sameAlerts) differs += "alerts differ; ";
  return differs;
}

}  // namespace tessarine::test
