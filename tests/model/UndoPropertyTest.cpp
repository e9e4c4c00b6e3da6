// Undo and redo only ever bring back a bank as it was at the end of an action or of a
// transfer: random sequences of edits, presets arriving, loads, undos and redos, held against
// a plain list of those banks. RapidCheck shrinks a failure to the shortest sequence.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <variant>
#include <vector>

#include "model/EditSession.h"

namespace kestralux {
namespace {

struct Edit {
  int preset;
  int value;
};
struct EndAction {};
struct Arrive {
  int preset;
  int value;
};
struct EndTransfer {};
struct Load {
  int preset;
  int value;
};
struct Undo {};
struct Redo {};
using Op = std::variant<Edit, EndAction, Arrive, EndTransfer, Load, Undo, Redo>;

PresetRecord withGain(int value) {
  PresetRecord r{};
  r.setValue(AMP_GAIN, value);
  return r;
}

// The banks undo may come back to, oldest first, and where the session stands among them.
struct Model {
  std::vector<PresetBank> banks;
  std::size_t at = 0;
  bool transfer = false;
  bool userSinceCheckpoint = false;

  void dropRedo() { banks.resize(at + 1); }
  void checkpoint(const PresetBank& now) {
    if (now == banks[at]) return;
    dropRedo();
    banks.push_back(now);
    at = banks.size() - 1;
  }
};

void show(std::ostream& os, const Op& op) {
  std::visit(
      [&os](const auto& o) {
        using T = std::decay_t<decltype(o)>;
        if constexpr (std::is_same_v<T, Edit>) os << "edit " << o.preset << "=" << o.value;
        if constexpr (std::is_same_v<T, EndAction>) os << "end action";
        if constexpr (std::is_same_v<T, Arrive>) os << "arrive " << o.preset << "=" << o.value;
        if constexpr (std::is_same_v<T, EndTransfer>) os << "end transfer";
        if constexpr (std::is_same_v<T, Load>) os << "load " << o.preset << "=" << o.value;
        if constexpr (std::is_same_v<T, Undo>) os << "undo";
        if constexpr (std::is_same_v<T, Redo>) os << "redo";
      },
      op);
}

}  // namespace
}  // namespace kestralux

namespace rc {
template <>
struct Arbitrary<kestralux::Op> {
  static Gen<kestralux::Op> arbitrary() {
    using namespace kestralux;
    // Four presets and a few values, so sequences meet the same presets again and again.
    const auto preset = gen::inRange(0, 4);
    const auto value = gen::inRange(1, 6);
    return gen::oneOf(gen::construct<Op>(gen::construct<Edit>(preset, value)),
                      gen::construct<Op>(gen::construct<EndAction>()),
                      gen::construct<Op>(gen::construct<Arrive>(preset, value)),
                      gen::construct<Op>(gen::construct<EndTransfer>()),
                      gen::construct<Op>(gen::construct<Load>(preset, value)),
                      gen::construct<Op>(gen::construct<Undo>()), gen::construct<Op>(gen::construct<Redo>()));
  }
};
}  // namespace rc

namespace kestralux {
namespace {

RC_GTEST_PROP(UndoOverTransfers, OnlyBanksThatWereComeBack, (const std::vector<Op>& ops)) {
  EditorState state;
  EditSession session(state);
  Model model;
  model.banks.push_back(state.bank);
  std::ostringstream trail;
  for (const Op& op : ops) {
    show(trail, op);
    trail << "; ";
    RC_LOG() << trail.str() << "\n";
    std::visit(
        [&](const auto& o) {
          using T = std::decay_t<decltype(o)>;
          if constexpr (std::is_same_v<T, Edit>) {
            // Another preset is shown by ending the action, as the arrows do.
            if (state.CurrentPreset != o.preset) {
              session.endAction();
              if (!model.transfer || model.userSinceCheckpoint) model.checkpoint(state.bank);
              model.userSinceCheckpoint = false;
              state.CurrentPreset = o.preset;
            }
            if (session.setValue(AMP_GAIN, o.value)) {
              model.dropRedo();
              model.userSinceCheckpoint = true;
            }
          } else if constexpr (std::is_same_v<T, EndAction>) {
            session.endAction();
            if (!model.transfer || model.userSinceCheckpoint) model.checkpoint(state.bank);
            model.userSinceCheckpoint = false;
          } else if constexpr (std::is_same_v<T, Arrive>) {
            if (!model.transfer) {
              model.checkpoint(state.bank);
              model.userSinceCheckpoint = false;
              model.transfer = true;
            }
            session.fetched(o.preset, withGain(o.value));
            model.dropRedo();
          } else if constexpr (std::is_same_v<T, EndTransfer>) {
            session.fetchEnded();
            if (model.transfer) {
              model.checkpoint(state.bank);
              model.userSinceCheckpoint = false;
            }
            model.transfer = false;
          } else if constexpr (std::is_same_v<T, Load>) {
            const PresetBank before = state.bank;
            session.loadPreset(o.preset, withGain(o.value));
            if (model.transfer) {
              RC_ASSERT(state.bank == before);
            } else {
              model.checkpoint(before);
              model.dropRedo();
              model.checkpoint(state.bank);
            }
          } else {
            const PresetBank before = state.bank;
            constexpr bool undo = std::is_same_v<T, Undo>;
            if (undo) session.undo(); else session.redo();
            if (model.transfer) {
              RC_ASSERT(state.bank == before);
              return;
            }
            model.checkpoint(before);
            if (undo && model.at > 0) --model.at;
            if (!undo && model.at + 1 < model.banks.size()) ++model.at;
            RC_ASSERT(state.bank == model.banks[model.at]);
          }
        },
        op);
  }
}

}  // namespace
}  // namespace kestralux
