#pragma once
// The MIDI setup window: a view of the link to the combo. It shows the port lists, lets the
// user choose and confirm the combo's ports or search for them, shows the card-error box for
// the link, and carries the 50 ms timer that runs the link's tick. It lives, hidden most of
// the time, from start-up to the end of the run.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "link/ComboLink.h"

namespace kestralux {

class CardErrorBox;

// The window's modal boxes, replaceable so tests can answer them.
struct MidiSetupBoxes {
  // "Midi card already used or Not present!"
  std::function<void(QWidget* owner)> cardError;
  // "Midi card will now be intialized!"; true for OK.
  std::function<bool(QWidget* owner)> confirmCardChange;

  static MidiSetupBoxes standard();
};

class TMIDI_IO : public QWidget {
  Q_OBJECT

 public:
  TMIDI_IO(ComboLink& link, QWidget* parent = nullptr, MidiSetupBoxes boxes = MidiSetupBoxes::standard());
  ~TMIDI_IO() override;

  // The window's creation starts MIDI: the link lists the ports, takes the remembered ones,
  // opens the input and greets the combo; the lists show what it found.
  void FIND_MIDI_PORTS(const ComboLink::StartUp& how);
  // The main window's "MIDI SETUP": the lists read afresh, shown, not modal.
  void showSetup();

  void MIDI_IN_SELClick();
  void MIDI_OUT_SELClick();
  void MIDI_DONEClick();
  void interupt_timerTimer();
  // FIND COMBO: the link asks every output for the bank; the pair that answers is selected in
  // both lists, and OK takes it with the bank it sent.
  void FIND_COMBOClick();

  MidiSetupBoxes boxes;

  QLabel* MIDI_IN_LABEL;
  QLabel* MIDI_OUT_LABEL;
  QListWidget* MIDI_IN_SEL;
  QListWidget* MIDI_OUT_SEL;
  QPushButton* MIDI_DONE;
  QPushButton* FIND_COMBO;
  QTimer* interupt_timer;

  // The port names shown, in device-number order; the placeholder entry has none.
  std::vector<std::string> inNames;
  std::vector<std::string> outNames;

 private:
  void fillLists();
  void showSearch(ComboLink::Search search);
  void setControlsVisible(bool visible);

  ComboLink& link_;
  // Received messages are posted here from the port's thread; it goes with the window, and
  // the window closes the input first, so nothing is posted to it once it is gone.
  std::unique_ptr<QObject> inputContext_;
  std::unique_ptr<CardErrorBox> cardErrorBox_;
};

}  // namespace kestralux
