#pragma once
// Every control of the main window, the bank window and the setup window for a keyboard user
// and a screen reader: a name (its caption), a value as the value box shows it, a keyboard
// stop in reading order, Space or Enter on a panel or an effect, the typed value of a scroll
// bar, and a ring around the control that has the keyboard focus.
//
// What a screen reader hears for a scroll bar: Qt carries a value interface's number over
// AT-SPI, but never its text, and a position such as 22 means nothing to a musician. So the
// bar's name is its caption ("GAIN") and its description is what the value box shows
// ("7.33"), told anew as the box changes; the number stays the position, for the reader's
// own up and down.

#include <QObject>
#include <QPointer>
#include <QSet>

#include "app/ValueEntryBox.h"

class QLineEdit;
class QScrollBar;
class QWidget;

namespace kestralux {

class BankWindow;
class EditorActions;
struct MainWindowUi;
class TMIDI_IO;

class Accessibility : public QObject {
  Q_OBJECT

 public:
  // Lives as long as the main window, as a child of `window`, whose controls `ui` holds; a
  // typed value goes through `actions` as any edit does.
  Accessibility(QWidget& window, MainWindowUi& ui, EditorActions& actions);
  void attachBankWindow(BankWindow& window);
  void attachSetupWindow(TMIDI_IO& window);
  // Every control of a tool window that takes Tab gets the focus ring.
  void attachToolWindow(QWidget& window);
  // Only the chosen amp model takes Tab; called again when another is chosen.
  void keepOneAmpStop();

  // The small entry over the value box of `bar`; nothing for a bar that is not shown.
  ValueEntryBox* openEntry(QScrollBar* bar);
  ValueEntryBox* entry() const { return entry_; }

  // Whether the focused control is outlined now: after a key, never after a click.
  bool showsFocus() const { return keyboardFocus_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void watch(QWidget* control);
  // Every named list box read by its name, also one asked about before it had a name.
  void renewNamedLists();
  void setKeyboardFocus(bool on);

  MainWindowUi& form_;
  EditorActions& actions_;
  QSet<QWidget*> controls_;
  QPointer<ValueEntryBox> entry_;
  bool keyboardFocus_ = false;
};

// The names the accessibility interfaces read: a bar's caption label and value box, a
// panel's role.
inline constexpr const char* kCaptionLabelProperty = "kestraluxCaptionLabel";
inline constexpr const char* kValueBoxProperty = "kestraluxValueBox";
inline constexpr const char* kPanelRoleProperty = "kestraluxPanelRole";

}  // namespace kestralux
