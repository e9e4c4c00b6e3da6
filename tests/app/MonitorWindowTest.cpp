// MIDI > MONITOR in the running editor: a live edit made with a slider is listed only while
// its filter is on.

#include <QCheckBox>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/MonitorWindow.h"
#include "app/TForm1.h"
#include "midi/LoopbackPorts.h"

namespace kestralux::test {
namespace {

TEST(MonitorWindow, ListsASentLiveEditOnlyWithItsFilterOn) {
  auto loopback = std::make_unique<LoopbackPorts>(std::vector<std::string>{"combo in"}, std::vector<std::string>{"combo out"});
  LoopbackPorts& ports = *loopback;
  const QString config = QDir::temp().filePath(QStringLiteral("kestralux-no-such-dir/combo.cfg"));
  KestraluxApplication application(std::move(loopback), {[](QWidget*) {}, [](QWidget*) { return false; }}, config);
  application.splashPauseMs = 0;
  application.startUp();
  TForm1& form = application.form();
  form.MIDI1->findChild<QAction*>(QStringLiteral("MONITOR1"))->trigger();
  MonitorWindow& monitor = application.monitorWindow();
  ASSERT_TRUE(monitor.isVisible());
  EXPECT_FALSE(monitor.liveEdits->isChecked()) << "a slider would flood the list";

  const std::size_t sentBefore = ports.allSent().size();
  form.ScrollGAIN->setValue(18);
  monitor.poll();
  ASSERT_EQ(ports.allSent().size(), sentBefore + 1) << "the edit went out";
  EXPECT_EQ(monitor.model->rowCount(), 0);

  QTest::mouseClick(monitor.liveEdits, Qt::LeftButton, {}, QPoint(4, monitor.liveEdits->height() / 2));
  ASSERT_EQ(monitor.model->rowCount(), 1) << "the edit was kept while hidden";
  form.ScrollGAIN->setValue(19);
  monitor.poll();
  ASSERT_EQ(monitor.model->rowCount(), 2);
  const QString first = monitor.model->index(0).data().toString();
  const QString second = monitor.model->index(1).data().toString();
  EXPECT_TRUE(first.contains(QStringLiteral("  OUT   10  GAIN 6.00  to combo out"))) << first.toStdString();
  EXPECT_TRUE(second.contains(QStringLiteral("  OUT   10  GAIN 6.33  to combo out"))) << second.toStdString();

  // Closed, the monitor takes nothing: the MIDI path is as it is without one.
  monitor.hide();
  EXPECT_FALSE(application.monitorTap->watched());
}

}  // namespace
}  // namespace kestralux::test
