#pragma once
// Everything a user can do to the bank and the preset on screen, whichever window it comes
// from: show a slot, edit, undo, redo, compare, arrange, load and save, fetch and store, and
// hear a library sound. The windows call these and draw what the one notice says; none of
// them reaches into another window.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "explore/ExploreSession.h"
#include "link/TransferDriver.h"
#include "model/EditSession.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"

namespace kestralux {

enum class Arrangement { Move, Copy, Swap };

// What an action changed, for the windows to draw.
struct ActionNotice {
  // A slot's values, name or mark may be other now: the lists of slots follow.
  bool bankChanged = false;
  // The preset on screen is another one, or holds other values: every control shows it anew.
  bool presetShown = false;
  // Only these controls moved (an undo or a redo of an edit on screen): the record as it was
  // shown before, so the window moves just the controls that differ from it.
  std::optional<PresetRecord> movedFrom;
  // A fetch or a store began or ended: what is refused and greyed follows.
  bool transferChanged = false;
  // A library sound is heard, or no longer: hearingText() says which.
  bool hearingChanged = false;
  // Something to tell the user on the window's message line, or empty.
  std::string message;
};

// How the main window is being closed: by the user at the window (its close button, Ctrl+Q,
// FILE > EXIT), or from outside (a termination signal, the end of the desktop session).
enum class CloseWay { Button, Shortcut, Menu, Signal, SessionEnd };

// What a file load did: how many records it replaced (0: none, it failed), and the status
// line's text when it differs from the command's own (a failure, or a bank that was cut off).
struct LoadOutcome {
  int loaded = 0;
  std::optional<std::string> said;
  bool operator==(const LoadOutcome&) const = default;
};

// What the status lines say when the bank is the transfer's.
inline constexpr const char* kTransferInProgress = "TRANSFER IN PROGRESS";

class EditorActions {
 public:
  // `transfers`: the link's driver of stores, which hears what the combo answers; without
  // one the actions keep a driver of their own, which hears only what is handed to it.
  EditorActions(EditorState& state, DeviceProtocol& protocol, EditSession& session,
                TransferDriver* transfers = nullptr);
  ~EditorActions();
  EditorActions(const EditorActions&) = delete;
  EditorActions& operator=(const EditorActions&) = delete;

  // What the windows draw.
  int currentPreset() const { return state_.CurrentPreset; }
  const PresetRecord& shownPreset() const { return state_.current(); }
  const PresetBank& bank() const { return state_.bank; }
  // What preset n was when last fetched, loaded, saved or stored.
  const PresetRecord& referenceOf(int n) const { return state_.reference[static_cast<std::size_t>(n)]; }
  bool edited(int n) const { return session_.edited(n); }
  int editedCount() const { return session_.editedCount(); }
  bool canUndo() const { return session_.canUndo(); }
  bool canRedo() const { return session_.canRedo(); }

  // While a window moves its controls to what the actions hold, what the controls write back
  // is no user's edit; `quiet`: the actions sent it already, so it goes nowhere either.
  class Drawing {
   public:
    explicit Drawing(EditorActions& actions, bool quiet = true)
        : showing_(actions.session_), state_(actions.state_), suppressed_(actions.state_.SendSuppressed) {
      if (quiet) state_.SendSuppressed = true;
    }
    ~Drawing() { state_.SendSuppressed = suppressed_; }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

   private:
    EditSession::Showing showing_;
    EditorState& state_;
    bool suppressed_;
  };

  using Listener = std::function<void(const ActionNotice&)>;
  // Every window that draws the bank listens; the number takes the listener away again.
  int listen(Listener listener);
  void stopListening(int id);

  // A fetch brings presets, or a store sends them: the bank is the transfer's until it ends.
  // Undo, redo, loads and arrangements are refused meanwhile (kTransferInProgress).
  bool transferRunning() const;

  // Slot n (0..29) on screen, sent whole at the next tick, as a step of the arrows does.
  void showSlot(int n);
  // The preset on screen shown again and sent whole: after a fetch, a load, or when the
  // combo may hold anything.
  void showAgain();
  // A control moved by the user: the value goes into the preset on screen and, unless `send`
  // is false, to the combo. A compare ends first, and the edited version is heard before the
  // change.
  void setParameter(int parameter, std::int32_t value, bool send = true);
  // The effect's own message, which the effect buttons send after the controls they narrow.
  void sendEffectSelect(int code) { protocol_.SendEffectSelect(code); }
  // The name box's text; a name that is not 1..19 one-byte characters, or is the box's
  // placeholder for none, changes nothing.
  void setName(std::string_view latin1);
  // The name of slot n, typed where the slots are listed: one undo step of its own.
  bool renameSlot(int n, std::string_view latin1);
  // The user let go: the next edit is a new undo step.
  void endAction() { session_.endAction(); }

  void undo();
  void redo();
  // Shows the reference of the preset on screen, or, again, the edited version.
  void compare();
  // The edited version back on screen; `sendNow` sends it at once (a control is about to
  // change it), else at the next tick.
  void endCompare(bool sendNow = false);
  bool comparing() const { return session_.comparing(); }
  // "PRESET   5", "PRESET   5*" while it differs from its reference, "COMPARE  5".
  std::string presetNumberText() const;

  // Arranging the slots (see EditSession): one undo step each, refused during a transfer.
  // Each returns what the bank window's status line says about it.
  std::string arrange(int first, int count, int to, Arrangement how);
  // The same for slots picked anywhere (in increasing order): a move gathers them, in their
  // order, from `to` on; a copy writes them there; a swap needs one unbroken range.
  std::string arrangeSlots(const std::vector<int>& slots, int to, Arrangement how);
  // Records from the clipboard or a drag, written from slot `first` on, clipped at 30.
  std::string paste(int first, std::span<const PresetRecord> records);
  // A library sound into slot n, named as the library names it.
  std::string putSound(int n, const PresetRecord& sound, const std::string& name);
  // A bank kept in the history back as the bank (`when` names it), or one of its presets,
  // slot `from` there, into the slot on screen: one undo step each, shown and sent as a load
  // is. The references stay, so what differs from the combo is marked edited.
  std::string restoreBank(const PresetBank& kept, const std::string& when);
  std::string restorePreset(const PresetRecord& kept, int from);
  // What the last arrangement wrote, for the list to select: first slot and count.
  std::pair<int, int> lastArranged() const { return lastArranged_; }

  // A library sound heard as the combo's current sound. The bank and the screen stay as
  // they are; a send that fails changes nothing at all.
  bool audition(const PresetRecord& sound);
  // The preset on screen heard again; nothing when no sound was being heard.
  void endAudition();
  bool auditioning() const { return heard_.has_value(); }
  // The combo plays `sound`, which went to it another way (the stage's last song): heard as a
  // library sound is, so the next edit or Esc brings back the preset on screen.
  void hearingAlready(const PresetRecord& sound);
  // "HEARING: BRIT BLUES / CHORUS, Esc RETURNS TO PRESET 5", or empty.
  std::string hearingText() const;

  // EDIT > EXPLORE over the preset on screen: what it makes the combo hear is this hearing,
  // and it waits while a transfer runs.
  ExploreSession exploreSession(std::uint64_t seed);
  ExploreBlock exploreBlock() const;

  // The library sound the user has picked, wherever it is listed: the one other windows
  // offer to work with (the explore window morphs toward it). Nothing is sent.
  struct PickedSound {
    PresetRecord record;
    std::string name;  // as the library shows it; empty when it knows none
  };
  void pickSound(std::optional<PickedSound> sound) { picked_ = std::move(sound); }
  const std::optional<PickedSound>& pickedSound() const { return picked_; }

  // Files. The reading and writing of bytes are the window's; what they do to the bank is
  // here. A load that failed changes nothing; the window shows a loaded preset with
  // showAgain() once it has noted the file.
  // A .pre file's bytes (nothing: it could not be opened) into the preset on screen.
  LoadOutcome loadPresetFile(const std::optional<std::vector<std::uint8_t>>& bytes);
  // A .bnk file's bytes from preset 1 on; a cut-off bank replaces only its whole records.
  LoadOutcome loadBankFile(const std::optional<std::vector<std::uint8_t>>& bytes);
  // The file was written: those presets are now kept as they are.
  void savedPreset();
  void savedBank();

  // What a fetch says as it goes, and its end, told to the window that shows them; a window
  // that goes passes nothing for both.
  void watchFetch(std::function<void(const Notices&)> notices, std::function<void()> complete) {
    protocol_.fetchNotices = std::move(notices);
    protocol_.bankComplete = std::move(complete);
  }
  // The controls show the preset on screen: a fetched bank waits to be shown no longer.
  void bankDrawn() { state_.BankRefreshPending = false; }

  // The scope of the store the user is about to confirm: one slot or the whole bank.
  StoreScope storeScope() const { return state_.storeScope; }
  void setStoreScope(StoreScope scope) { state_.storeScope = scope; }
  // A store confirmed whose messages have not begun to go out.
  bool storeRequested() const { return state_.StoreRequested; }
  // From Yes until the store and its check have ended.
  bool storeRunning() const { return state_.StoreInProgress || transfers_->running(); }

  // GET ALL: the bank asked for.
  void requestFetch();
  // The store confirmed: what goes out is the bank as the bank window lists it now.
  void startStore(StoreScope scope);
  // The confirmed store goes out through the driver: the combo's bank read and kept, the
  // bank stored, read back and compared.
  void runStore();
  // A bank from the history stored into the combo, checked the same way; the bank on screen
  // stays as it is. Refused (kTransferInProgress) while a transfer runs.
  std::optional<std::string> putBack(const PresetBank& bank);
  // What a store says as it goes and how it ended, told to the window that shows them.
  void watchStore(std::function<void(const std::string&)> progress, std::function<void(const StoreOutcome&)> ended) {
    storeProgress_ = std::move(progress);
    storeEnded_ = std::move(ended);
  }
  TransferDriver& transfers() { return *transfers_; }
  // How the last store ended, for a window that started one and waits to say so.
  const std::optional<StoreOutcome>& lastStoreOutcome() const { return lastStore_; }
  // A fetch has filled the bank: preset 1 on screen (unless a store is going out).
  bool showFetchedBank();

  // Says a notice to every listener.
  void tell(const ActionNotice& notice);

  // What the window asks before it closes, or nothing when it may close at once: only a
  // close the user makes at the window asks, and only while presets are edited. From
  // outside nobody may be there to answer; the history keeps the edits at the end of the run.
  std::optional<std::string> closeQuestion(CloseWay way) const;

 private:
  // What a step of the edit session changed, shown and sent: an edit of the preset on screen
  // control by control, anything else (or anything while another sound is heard) as a whole
  // preset on screen, sent at the next tick.
  void showChange(const BankChange& change, const PresetRecord& shownBefore);
  // The live messages of the controls that differ from `before`, as the edits sent them.
  void sendMoved(const PresetRecord& before);
  bool arranged(const BankChange& change, int first);
  void presetShown(bool sendNow);
  // The bank as it is, into the history, before a load replaces an edited preset in it.
  void keepBeforeLoad();

  EditorState& state_;
  DeviceProtocol& protocol_;
  EditSession& session_;
  std::map<int, Listener> listeners_;
  int nextListener_ = 1;
  std::optional<PresetRecord> heard_;
  std::optional<PickedSound> picked_;
  std::pair<int, int> lastArranged_{0, 0};
  std::unique_ptr<TransferDriver> ownTransfers_;
  TransferDriver* transfers_;
  PresetBank storeBank_{};
  bool storeAll_ = true;
  std::function<void(const std::string&)> storeProgress_;
  std::function<void(const StoreOutcome&)> storeEnded_;
  std::optional<StoreOutcome> lastStore_;
};

}  // namespace kestralux
