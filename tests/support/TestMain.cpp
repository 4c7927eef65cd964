// The main of every GoogleTest program: where the sources and the build are, and a data folder of
// the build's own, so that files the tests send to the trash never reach the user's trash, however
// the program is started.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::setenv("TESSARINE_SOURCE_DIR", TESSARINE_TEST_SOURCE_DIR, 0);
  ::setenv("TESSARINE_BINARY_DIR", TESSARINE_TEST_BINARY_DIR, 0);
  ::setenv("XDG_DATA_HOME", TESSARINE_TEST_BINARY_DIR "/test-data-home", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
