#pragma once
// The link to the combo, shared by the editor and kestralux-tool. It owns the engine, the
// receive ring and the protocol on top of one MidiPorts, and it alone decides which ports
// are the combo's: by name, read from combo.ports (or, without it, from the numbers in
// combo.cfg as they are listed at start), found by the search, or chosen in the setup window.
// A port number is only ever the position of that name in the list read at the moment a
// connection is made, so nothing goes to a port that merely holds the combo's old number.
//
// It runs on the caller's clock and thread: tick() every 50 ms from a timer or a loop, and
// what happened comes back through the callbacks below, never through a box.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/ComboConfig.h"
#include "files/ComboPorts.h"
#include "link/ComboFinder.h"
#include "link/TransferDriver.h"
#include "midi/MidiEngine.h"
#include "midi/MidiPorts.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "protocol/RxRing.h"

namespace kestralux {

// How often the link reads the port lists to see whether the combo came or went.
inline constexpr std::chrono::milliseconds kLookInterval{1000};

class ComboLink {
 public:
  using Clock = std::function<TransferClock::time_point()>;
  using Poster = ComboFinder::Poster;
  using Decoder = std::function<void(const RxSlot&)>;

  // When the combo is searched for at start.
  enum class SearchAtStart { Never, WhenNothingRemembered, WhenNotAtHand };
  // What becomes of the pair a search finds.
  enum class FoundPair {
    Offer,            // only told: the setup window selects it and OK takes it (takeFound)
    Use,              // the link connects to it at once
    UseAndRemember,   // and writes it to combo.cfg and combo.ports, as a confirmed OK would
  };
  enum class Search { Idle, Running, Found, NotFound };

  struct StartUp {
    bool startupMessage = true;
    SearchAtStart search = SearchAtStart::WhenNotAtHand;
    FoundPair found = FoundPair::UseAndRemember;
    // With the combo there, its bank is asked for after the start-up message.
    bool fetchWhenAtHand = true;
    // The input is opened on the chosen port; without it only a search hears anything.
    bool listen = true;
  };

  ComboLink(MidiPorts& ports, EditorState& state,
            std::filesystem::path configPath = kComboConfigName);
  ~ComboLink();
  // Where combo.cfg is read and written; combo.ports lies beside it.
  const std::filesystem::path& configPath() const { return configPath_; }
  ComboLink(const ComboLink&) = delete;
  ComboLink& operator=(const ComboLink&) = delete;

  // Said as they happen, on the caller's thread. Set them before start().
  std::function<void()> cardError;                     // a message could not be sent
  std::function<void(bool connected)> connectionChanged;
  std::function<void(Search)> searchChanged;
  // Port objects of the search's own, one per input listened to; without it there is no search.
  ComboFinder::PortsMaker portsMaker;
  Clock clock = [] { return TransferClock::now(); };
  // How messages received on the ports' threads reach the caller's thread.
  void setPoster(Poster poster);

  // Lists the ports, takes the remembered ones, opens the input, greets the combo and, as
  // `how` says, searches for it or asks it for its bank.
  void start(const StartUp& how);
  // The 50 ms work: ports that came back, the preset waiting to be sent, every received
  // message decoded, the fetch's silence, the search, and once a second the look.
  void tick();
  // Reads the lists: is the combo there, is it connected? When its ports have appeared, the
  // link connects to them and, with no bank received in this run, asks for it.
  void look();
  // Closes every connection and ends a search; messages on their way find nothing.
  void stop();

  // The lists as last read, in device-number order.
  void readPorts();
  const std::vector<std::string>& outputNames() const { return outputs_; }
  const std::vector<std::string>& inputNames() const { return inputs_; }
  // The combo's ports by name; empty when none is chosen.
  const PortNames& ports() const { return chosen_; }
  // Where the combo's ports stand in the lists as last read.
  std::optional<std::uint32_t> outputNumber() const;
  std::optional<std::uint32_t> inputNumber() const;
  // Makes `names` the combo's ports: both connections closed, the input opened on them.
  void usePorts(const PortNames& names);
  // combo.cfg (the numbers in the lists as last read) and combo.ports (the names).
  bool rememberPorts();
  // combo.cfg or combo.ports was there at start.
  bool remembered() const { return remembered_; }
  // The remembered combo's ports were both listed at start.
  bool comboAtHand() const { return comboAtHand_; }
  // Both are listed and the input is open on them.
  bool connected() const { return connected_.value_or(false); }

  // Looks for the combo on every port; false when one runs already, a fetch is under way or
  // there is nothing to search with.
  bool findCombo(FoundPair found);
  Search search() const { return search_; }
  // From findCombo until the found combo's answer has ended.
  bool searching() const { return finder_ != nullptr; }
  std::optional<PortNames> foundPorts() const { return found_; }
  // The bank the found combo sent in answer to the search, taken as a fetch (once its answer
  // has ended).
  void takeFoundBank();

  // Every waiting message to the decoder (the fetch's, unless one is set).
  void decodeWaiting();
  void setDecoder(Decoder decoder) { decoder_ = std::move(decoder); }
  // Received messages lost: too long for a slot, or more than the ring holds.
  int droppedMessages() const { return droppedMessages_; }

  MidiEngine engine;
  DeviceProtocol protocol;
  RxRing rx;
  // The store and its checks; while it runs, every message received is its.
  TransferDriver transfers{protocol};

 private:
  void receive(std::span<const std::uint8_t> message);
  std::optional<std::uint32_t> outputNow();
  std::optional<std::uint32_t> inputNow();
  bool listedNow() const;
  void setConnected(bool connected);
  void searchTick();
  void setSearch(Search search);
  void reportDrops();

  MidiPorts& ports_;
  EditorState& state_;
  std::filesystem::path configPath_;
  Poster poster_;
  Decoder decoder_;
  std::vector<std::string> outputs_;
  std::vector<std::string> inputs_;
  PortNames chosen_;
  bool remembered_ = false;
  bool comboAtHand_ = false;
  // The combo's ports were listed at the last look.
  bool listed_ = false;
  std::optional<bool> connected_;
  TransferClock::time_point lastLook_{};
  bool lookSoon_ = false;
  // A message has come in since a look last found the combo's ports missing.
  bool heardSinceGone_ = false;

  std::unique_ptr<ComboFinder> finder_;
  FoundPair foundUse_ = FoundPair::Offer;
  Search search_ = Search::Idle;
  std::optional<PortNames> found_;
  std::vector<ComboDetection::Message> foundAnswer_;
  bool takeWhenEnded_ = false;

  int droppedMessages_ = 0;
  int droppedAtLastTick_ = 0;
  bool losingAtLastTick_ = false;
};

}  // namespace kestralux
