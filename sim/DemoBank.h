#pragma once
// The bank the virtual combo starts from at its first run, so someone trying the editor hears
// and sees thirty sounds a player might have saved, not thirty empty slots: every amp model and
// every effect appears at least once, each with values one would dial on the real amp.

#include "model/PresetRecord.h"

namespace kestralux {

PresetBank demoBank();

}  // namespace kestralux
