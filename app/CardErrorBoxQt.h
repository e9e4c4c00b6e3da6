#pragma once
// The card-error box, at most once per user action. An action is what one click, key press,
// wheel turn or drag sets going, with everything it causes later (a preset step's burst, a
// store); failures after the first box of an action are counted, not shown. Before the box
// opens, any control the mouse holds lets go, so a held scroll-bar arrow does not go on
// repeating, and failing, behind the box.

#include <QObject>
#include <functional>

class QWidget;

namespace kestralux {

class CardErrorBox : public QObject {
  Q_OBJECT

 public:
  // `show` opens the box itself (modal) over its owner.
  explicit CardErrorBox(std::function<void(QWidget* owner)> show, QObject* parent = nullptr);
  ~CardErrorBox() override;

  void report(QWidget* owner);

  // Failures of an action whose box was shown already.
  int quietFailures() const { return quiet_; }

  std::function<void(QWidget* owner)> showBox;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool shownInAction_ = false;
  int quiet_ = 0;
};

// Lets go of every control the mouse holds: scroll bars get the release they will not see,
// buttons are put up without a click.
void releaseHeldControls();

}  // namespace kestralux
