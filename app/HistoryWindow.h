#pragma once
// LIBRARY > HISTORY: the banks the history keeps, newest first, with when and what happened
// ("fetched", "stored 10 of 30", "session"). For the chosen entry its 30 presets, marked where
// they differ from the bank being edited. The entry can come back as the bank, or one of its
// presets into the slot on screen: one undo step each, the slot on screen shown and sent as a
// load is; the references stay, so what differs from the combo is marked edited.

#include <QWidget>

#include <optional>
#include <vector>

#include "files/BankHistory.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace kestralux {

class TForm1;

class HistoryWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryWindow(TForm1& form, QWidget* parent = nullptr);

  // Reads the history folder again and shows the window.
  void showHistory();
  void refresh();
  // The chosen entry's presets, marked against the bank as it is now.
  void showEntry();

  void loadAsBank();
  void putIntoSlotOnScreen();
  void say(const QString& text);

  QTreeWidget* entries = nullptr;
  QTreeWidget* presets = nullptr;
  QPushButton* loadBank = nullptr;
  QPushButton* putPreset = nullptr;
  QLabel* status = nullptr;

 private:
  const HistoryEntry* chosen() const;
  bool refused();
  // Shows the slot on screen again when the step changed it, and lets the bank window follow.
  void changed(bool shownChanged);

  TForm1& form_;
  std::vector<HistoryEntry> history_;
  std::optional<PresetBank> bank_;  // the chosen entry's, when it reads as a bank
  QTimer* statusTimer_ = nullptr;
};

}  // namespace kestralux
