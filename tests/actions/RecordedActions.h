#pragma once
// The editor's actions over a fresh state and session, with every message they send to the
// combo recorded.

#include "actions/EditorActions.h"
#include "model/EditorState.h"
#include "protocol/DeviceProtocol.h"
#include "tests/protocol/RecordingOutput.h"

namespace kestralux::test {

struct RecordedActions {
  EditorState state;
  RecordingOutput output;
  DeviceProtocol protocol{state, output};
  EditSession session{state};
  EditorActions actions{state, protocol, session};

  RecordedActions() { protocol.session = &session; }
};

}  // namespace kestralux::test
