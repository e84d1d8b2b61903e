// Test runner for the Windows tests: initialises the application object
// once (as the program does) before any test creates windows.
#include <gtest/gtest.h>

#include "ui/win32/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  nv::Application().Initialize();
  return RUN_ALL_TESTS();
}
