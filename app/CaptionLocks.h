#pragma once
// The main window's side of the explore window's locks: a right-click on a control's caption
// (on any amp panel for the amp model) locks or unlocks it, and a padlock beside the caption
// shows it. Put onto the main window from outside, so the main window knows nothing of
// exploring and the explore window nothing of the main window's controls.

#include <QObject>
#include <QPointer>

#include <map>

class QWidget;

namespace kestralux {

class ExploreWindow;
struct MainWindowUi;

class CaptionLocks : public QObject {
 public:
  // Lives as long as `explore`, as its child.
  CaptionLocks(MainWindowUi& ui, ExploreWindow& explore);
  // The marks live in the main window, which may already have taken them down with itself.
  ~CaptionLocks() override;

  // The padlocks as the explore window's locks are now.
  void refresh();
  void placeMarks();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Mark {
    QPointer<QWidget> mark;
    QPointer<QWidget> caption;
  };
  ExploreWindow& explore_;
  std::map<QObject*, int> owners_;
  std::map<int, Mark> marks_;
};

}  // namespace kestralux
