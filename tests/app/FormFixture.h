#pragma once
// A fresh editor window over a fresh state, with every message it sends recorded.

#include <gtest/gtest.h>

#include <memory>

#include "app/TForm1.h"
#include "tests/actions/RecordedActions.h"
#include "tests/editor/LiveEditor.h"

namespace kestralux::test {

class FormTest : public ::testing::Test, protected RecordedActions {
 protected:
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(actions);
};

// The 16 messages of a whole-preset send of `record`.
inline Messages wholePreset(const PresetRecord& record) {
  EditorState shown;
  shown.bank[0] = record;
  RecordingOutput out;
  DeviceProtocol sender(shown, out);
  sender.SendWholePreset();
  return Messages(out.messages.begin(), out.messages.end());
}

}  // namespace kestralux::test
