#include "WindowFixture.h"

#include "app/IniFile.h"

namespace tessarine::test {

std::string WindowFixture::Setting(const char* section, const char* key) const {
  return ReadSetting(settingsFile, section, key);
}

}  // namespace tessarine::test
