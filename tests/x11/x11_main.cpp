#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <clocale>

int main(int argc, char** argv) {
  // Typed text is decoded in the character locale, as the program does.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  XInitThreads();  // the paste test answers from a second thread
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
