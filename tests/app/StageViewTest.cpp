// The stage view read from three metres: on each screen size the title's capitals are an
// eighth of the height or taller, and no text is cut by its room or by another's.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include <string>
#include <vector>

#include "app/StageView.h"

namespace kestralux {
namespace {

struct Screen {
  const char* name;
  StageScreen shown;
};

StageScreen screenOf(std::string title, std::string sound, std::string note, std::string next, bool connected = true,
                     bool end = false, std::string passing = {}) {
  StageScreen s;
  s.title = std::move(title);
  s.sound = std::move(sound);
  s.note = std::move(note);
  s.next = std::move(next);
  s.position = "3 / 12";
  s.connected = connected;
  s.endOfSet = end;
  s.passing = std::move(passing);
  s.controller = "FCB PEDAL:out";
  return s;
}

const Screen kScreens[] = {
    {"short", screenOf("INTRO", "BRIT BLUES", "capo 2", "SECOND SONG")},
    {"two lines of title", screenOf("THE LONG AND WINDING ROAD HOME", "CLEAN CHORUS", "", "OUTRO")},
    {"a title of one word wider than the screen",
     screenOf("SUPERCALIFRAGILISTICEXPIALIDOCIOUSLYLONGERSTILL", "FUZZ", "", "X")},
    {"a long note and next title, not connected",
     screenOf("Ça plane pour moi", "HI GAIN ÄÖÜ", "Tremolo on the bridge, watch the drummer for the stop after the second chorus",
              "A next song with a title far too long for the bottom row of any screen", false)},
    {"the end of the set with a message", screenOf("ENCORE", "MEGA", "", "", true, true, "PROGRAM 41: NO SONG 41")},
    {"typing toward a jump", [] {
       StageScreen s = screenOf("SONG", "SOUND", "NOTE", "NEXT");
       s.typed = "12";
       return s;
     }()},
};

const QSize kSizes[] = {{1600, 1200}, {1280, 720}, {1024, 600}};

TEST(StageView, TitleIsAnEighthOfTheScreenAndNoTextIsCut) {
  for (const QSize size : kSizes)
    for (const Screen& row : kScreens) {
      SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
      StageView view;
      view.resize(size);
      view.draw(row.shown);
      view.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

      EXPECT_GE(QFontMetrics(view.title->font()).capHeight() * 8, size.height());
      EXPECT_EQ(view.connection->isVisible(), !row.shown.connected);

      std::vector<QLabel*> shown;
      for (QLabel* label : view.findChildren<QLabel*>())
        if (label->isVisible()) shown.push_back(label);
      for (QLabel* label : shown) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_TRUE(view.rect().contains(label->geometry())) << "outside the screen";
        const QFontMetrics metrics(label->font());
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        EXPECT_LE(lines.size() * metrics.lineSpacing(), label->height() + 1) << "lines below the label";
        for (const QString& line : lines) {
          EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
        }
        for (QLabel* other : shown) {
          if (other == label) continue;
          EXPECT_FALSE(label->geometry().intersects(other->geometry())) << "over " << other->objectName().toStdString();
        }
      }
      if (const QByteArray folder = qgetenv("KESTRALUX_STAGE_PICTURES"); !folder.isEmpty()) {
        view.grab().save(QStringLiteral("%1/stage-%2x%3-%4.png")
                             .arg(QString::fromLocal8Bit(folder))
                             .arg(size.width())
                             .arg(size.height())
                             .arg(&row - kScreens));
      }
    }
}

}  // namespace
}  // namespace kestralux
