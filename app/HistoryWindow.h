#pragma once
// LIBRARY > HISTORY: the banks the history keeps, newest first, with when and what happened
// ("fetched", "stored 10 of 30", "session"). For the chosen entry its 30 presets, marked where
// they differ from the bank being edited. The entry can come back as the bank, or one of its
// presets into the slot on screen: one undo step each, the slot on screen shown and sent as a
// load is; the references stay, so what differs from the combo is marked edited.

#include <QWidget>

#include <optional>
#include <vector>

#include "actions/EditorActions.h"
#include "files/BankHistory.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace kestralux {

class HistoryWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryWindow(EditorActions& actions, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Reads the history folder again and shows the window.
  void showHistory();
  void refresh();
  // The chosen entry's presets, marked against the bank as it is now.
  void showEntry();

  void loadAsBank();
  void putIntoSlotOnScreen();
  // An entry "on the combo before the store" stored into the combo again, checked, after a
  // confirmation that names its time.
  void putBackOnCombo();
  void say(const QString& text);

  QTreeWidget* entries = nullptr;
  QTreeWidget* presets = nullptr;
  QPushButton* loadBank = nullptr;
  QPushButton* putPreset = nullptr;
  QPushButton* putBack = nullptr;
  QLabel* status = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  const HistoryEntry* chosen() const;
  // Every entry's AGAINST THE BANK, from the banks read at the last refresh.
  void markAgainstBank();
  EditorActions& actions_;
  int listener_ = 0;
  std::vector<HistoryEntry> history_;
  std::vector<std::optional<PresetBank>> banks_;  // each entry's, as read at the last refresh
  std::optional<PresetBank> bank_;  // the chosen entry's, when it reads as a bank
  QTimer* statusTimer_ = nullptr;
  bool puttingBack_ = false;
};

}  // namespace kestralux
