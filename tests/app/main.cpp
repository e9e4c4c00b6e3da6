#include "app/GuardedApplication.h"
#include "tests/HistoryHome.h"
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The file dialogs keep their history in Qt's settings: in a folder of this run, never in
  // the user's own, and the same at every start.
  qputenv("XDG_CONFIG_HOME", QByteArray((kestralux::test::historyHome() / "config").c_str()));
  kestralux::GuardedApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
