#pragma once
// The one place where the bank changes. Every edit of the preset on screen, every name, every
// load, the presets a fetch brings and the references a save or a store moves pass through
// here; each change is kept as an undo step, and each call says what changed so that the
// window shows exactly that and the device hears what the window would send for it.

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "model/EditorState.h"

namespace kestralux {

// What an undo, a redo or a compare changed.
struct BankChange {
  enum class Kind {
    None,
    Edit,     // values or the name of one preset: shown and sent control by control
    Presets,  // whole presets replaced: the preset on screen shown and sent as one burst
  };
  Kind kind = Kind::None;
  int preset = 0;  // for Edit, the preset it touched, which the window shows first
  // Whether the preset on screen now holds other values: only then does the combo hear it.
  bool shownChanged = false;
  // For an arrangement: how many slots it wrote (a paste clipped at slot 30 writes fewer
  // than it was given); 0 when its input made no sense and nothing changed.
  int written = 0;
};

class EditSession {
 public:
  explicit EditSession(EditorState& state) : state_(state) {}

  // An edit of the preset on screen. Edits until endAction() are one step: a held arrow, a
  // drag, a name typed letter by letter. Returns whether the value changed.
  bool setValue(int parameter, std::int32_t value);
  bool setName(std::string_view latin1);
  // The user let go: the next edit starts a new step.
  void endAction();

  // A preset file loaded into preset n, and a bank file's first records: one step each,
  // and what they loaded is their reference.
  void loadPreset(int n, const PresetRecord& record);
  void loadBank(std::span<const PresetRecord> records);

  // A fetch: from its first preset to its end a transfer runs. Undo, redo, loads and
  // arrangements are refused meanwhile; edits go on. The end of the transfer, and the end of
  // each action during it, close a step of everything that changed since the step before,
  // presets arrived and edits alike, so undo only ever brings back a bank as it was at the end
  // of an action or of a transfer, never a mix of two.
  void fetched(int n, const PresetRecord& record);
  void fetchEnded();
  bool transferRunning() const { return transfer_; }

  // A save or a store: these presets are now kept elsewhere as they are.
  void saved(int n);
  void savedAll();
  // The presets whose store message went out (`which`) are now kept in the combo as they were.
  void stored(const PresetBank& asStored, std::bitset<kPresetCount> which = std::bitset<kPresetCount>().set());

  // Arranging the bank: each call is one step and changes only the bank. The references stay
  // with their slots (what the combo or the file holds there), so a slot that now holds other
  // values than its reference is edited until it is stored or saved. Slots count from 0; a
  // range is `count` slots from `first`. A range outside the bank, an empty one, or ranges
  // that overlap where that makes no sense change nothing, and so does any arrangement while
  // a fetch is bringing presets in.
  //
  // The range moves so that it starts at `to`; the slots between shift by one place.
  BankChange moveSlots(int first, int count, int to);
  // The range is written over the `count` slots from `to`, as it was before the copy.
  BankChange copySlots(int first, int count, int to);
  // Two ranges that do not overlap trade places.
  BankChange swapSlots(int first, int other, int count);
  // Slots picked anywhere in the bank (in increasing order) taken out and put back together,
  // in their order, so that they start at `to`; the other slots keep their order around them.
  BankChange gatherSlots(std::span<const int> slots, int to);
  // The records written over the slots from `first` on; those past slot 30 are dropped.
  BankChange pasteSlots(int first, std::span<const PresetRecord> records);

  // The edited mark: the values or the name of preset n differ from its reference, what was
  // last fetched, loaded, saved or stored there. Nothing else counts, so undoing back to the
  // reference clears it whatever happened in between.
  bool edited(int n) const;
  // Whether `record` written into slot n would put other values or another name over an edit.
  bool replacesEdit(int n, const PresetRecord& record) const;
  // How many presets are edited: work kept in no file and not on the combo.
  int editedCount() const;
  // How many edited presets the last load, or the fetch that ended last, replaced. Asking
  // clears it; while a fetch runs it keeps counting.
  int takeReplacedEdits() { return transfer_ ? 0 : std::exchange(replacedEdits_, 0); }

  bool canUndo() const { return !transfer_ && (!undo_.empty() || !user_.empty()); }
  bool canRedo() const { return !transfer_ && !redo_.empty(); }
  BankChange undo();
  BankChange redo();
  std::size_t steps() const { return undo_.size(); }

  // COMPARE: the preset on screen shows its reference, then again the edited version. The
  // bank holds the reference meanwhile; the edited version comes back on the second call, on
  // endCompare, and before anything else changes the bank.
  BankChange compare();
  BankChange endCompare();
  bool comparing() const { return compared_.has_value(); }
  // A preset that arrived ended the compare: the edit is back in the bank, and the window,
  // which still shows the reference, must show and send it. Asking clears it.
  bool compareEndedByTransfer() { return std::exchange(compareEndedByTransfer_, false); }

  // While it lives, edits are written without becoming a step: the window moving its
  // controls to show a record writes back what the record holds.
  class Showing {
   public:
    explicit Showing(EditSession& session) : session_(session), was_(session.showing_) { session.showing_ = true; }
    ~Showing() { session_.showing_ = was_; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

   private:
    EditSession& session_;
    bool was_;
  };

  bool showing() const { return showing_; }

  // Called after every change of the bank, the references or the history.
  std::function<void()> changed;

 private:
  struct Record {
    int preset;
    PresetRecord before, after;
  };
  struct Step {
    BankChange::Kind kind;
    std::vector<Record> records;
  };
  // The records a step in the making has touched, as they were before it.
  using Open = std::map<int, PresetRecord>;

  bool write(const PresetRecord& record);
  bool canArrange(int first, int count) const;
  BankChange arrange(const PresetBank& arranged, int written);
  void touch(Open& open, int n);
  void close(Open& open, BankChange::Kind kind);
  void push(Step step);
  BankChange apply(const Step& step, bool forward);
  BankChange takeStep(std::vector<Step>& from, std::vector<Step>& to, bool forward);
  void restoreCompared();
  void tell() {
    if (changed) changed();
  }

  EditorState& state_;
  Open user_;
  // While a transfer runs: everything changed since the last step.
  Open sinceStep_;
  bool transfer_ = false;
  bool userInTransfer_ = false;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  // The edited version of the preset being compared, and its number.
  std::optional<std::pair<int, PresetRecord>> compared_;
  bool showing_ = false;
  bool compareEndedByTransfer_ = false;
  int replacedEdits_ = 0;
};

// More steps than anyone undoes; the oldest go first. Each holds only what it changed.
inline constexpr std::size_t kUndoStepsKept = 100000;

}  // namespace kestralux
