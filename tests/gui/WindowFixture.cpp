#include "WindowFixture.h"

#include "core/IniFile.h"

namespace tessarine::test {

std::string WindowFixture::Setting(const char* section, const char* key) const {
  return ReadSetting(settingsFile, section, key);
}

void WindowFixture::ExpectXmpControlsEnabled(bool enabled) const {
  for (const char* name : {"optXMPOverIPTC_0", "optXMPOverIPTC_1", "cmdXMPCustomized", "txtXMPCustomized"}) {
    QVERIFY2(Enabled(name) == enabled, name);
  }
  for (int i = 6; i <= 11; ++i) QCOMPARE(Enabled(QStringLiteral("lblHelpMetadata_%1").arg(i)), enabled);
  QVERIFY(Enabled("lblHelpMetadata_5"));
  QCOMPARE(Hidden("ImagePuceMetadata_2"), !enabled);
  QCOMPARE(Hidden("ImagePuceMetadata_3"), !enabled);
  QVERIFY(!Hidden("ImagePuceMetadata_1"));
}

}  // namespace tessarine::test
