// The window tests run offscreen unless told otherwise; the application exists before
// any test (test discovery runs this binary during the build).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "app/kest_application.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  kest::KestApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  kest::QtRussianTranslation qt_texts;  // stock dialogs as the program shows them
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
