#pragma once
// The MIDI setup window: lists the ports, remembers the choice in combo.cfg, owns the
// 50 ms poll tick and is where received messages come back to the GUI thread. It lives,
// hidden most of the time, from start-up to the end of the run.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "midi/MidiEngine.h"
#include "midi/MidiPorts.h"
#include "files/ComboPorts.h"
#include "link/ComboFinder.h"

namespace kestralux {

struct EditorState;
class CardErrorBox;
class DeviceProtocol;

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
  TMIDI_IO(MidiPorts& ports, MidiEngine& engine, EditorState& state, DeviceProtocol& protocol,
           QString configPath = "combo.cfg", QWidget* parent = nullptr,
           MidiSetupBoxes boxes = MidiSetupBoxes::standard());
  ~TMIDI_IO() override;

  // The main window's "MIDI SETUP": shown, not modal.
  void showSetup();

  void MIDI_IN_SELClick();
  void MIDI_OUT_SELClick();
  void MIDI_DONEClick();
  void interupt_timerTimer();
  // FIND COMBO: asks every output for the bank and selects, in the two lists, the output that
  // reaches the combo and the input that hears it, for the user to confirm with OK. The
  // combo's answer is taken as a fetch.
  void FIND_COMBOClick();
  void findComboTick();
  // At start, when nothing is remembered or neither the remembered numbers nor the names
  // name ports now: the same search, and a pair found is taken at once.
  void detectAtStart();
  // Whether the ports of the remembered combo were there at start: by their names when
  // combo.ports holds them, otherwise by the numbers in combo.cfg.
  bool comboAtHand() const { return comboAtHand_; }
  void connectWhenPlugged();

 signals:
  // Whether the combo's ports are there and its answers can be heard; said when it changes.
  void comboConnection(bool connected);

 public:

  // Port objects of their own for the search, one per input listened to; without one the
  // button does nothing. The clock is the search's.
  ComboFinder::PortsMaker portsMaker;
  ComboFinder::Clock finderClock = [] { return TransferClock::now(); };

  MidiSetupBoxes boxes;

  QLabel* MIDI_IN_LABEL;
  QLabel* MIDI_OUT_LABEL;
  QListWidget* MIDI_IN_SEL;
  QListWidget* MIDI_OUT_SEL;
  QPushButton* MIDI_DONE;
  QPushButton* FIND_COMBO;
  QTimer* interupt_timer;
  QTimer* findTimer;

  // Device number at each list position; the placeholder entry has none.
  std::vector<std::uint32_t> IN_PORT_MAP;
  std::vector<std::uint32_t> OUT_PORT_MAP;
  // The port names of the last listing, in device-number order.
  std::vector<std::string> inNames_;
  std::vector<std::string> outNames_;

 private:
  void FIND_MIDI_PORTS();
  void listPorts();
  void usePorts(std::uint32_t out, std::uint32_t in);
  void rememberPorts();
  QString portNamesPath() const;
  void setControlsVisible(bool visible);

  MidiPorts& ports_;
  MidiEngine& engine_;
  EditorState& state_;
  DeviceProtocol& protocol_;
  QString configPath_;
  // Received messages are posted here from the port's thread; it goes with the window, and
  // the window closes the input first, so nothing is posted to it once it is gone.
  std::unique_ptr<QObject> inputContext_;
  std::unique_ptr<CardErrorBox> cardErrorBox_;
  std::unique_ptr<ComboFinder> finder_;
  bool pairSelected_ = false;
  bool comboUnknown_ = true;
  bool comboAtHand_ = false;
  // The ports remembered in combo.ports, followed when they appear while the editor runs.
  PortNames remembered_;
  int ticksSinceLook_ = 0;
  std::optional<bool> connected_;
  bool atStart_ = false;
};

}  // namespace kestralux
