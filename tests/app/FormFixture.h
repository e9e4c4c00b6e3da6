#pragma once
// A fresh editor window over a fresh state, with every message it sends recorded.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/TForm1.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "midi/SysexOutput.h"

namespace kestralux::test {

class RecordingOutput : public SysexOutput {
 public:
  bool SEND_SYSEX(std::span<const std::uint8_t> message) override {
    sent.emplace_back(message.begin(), message.end());
    return true;
  }
  void DUMP_PAUSE() override { ++pauses; }

  std::vector<std::vector<std::uint8_t>> sent;
  int pauses = 0;
};

class FormTest : public ::testing::Test {
 protected:
  EditorState state;
  RecordingOutput output;
  DeviceProtocol protocol{state, output};
  EditSession session{state};
  EditorActions actions{state, protocol, session};
  std::unique_ptr<TForm1> form = [this] {
    protocol.session = &session;
    return std::make_unique<TForm1>(actions);
  }();
};

}  // namespace kestralux::test
