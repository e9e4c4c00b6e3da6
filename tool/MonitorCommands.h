#pragma once
// kestralux-tool monitor and check, and the --trace every command that talks to the combo
// takes: messages in the window's words, the connection check's report.

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "link/MessageWords.h"
#include "midi/MessageTap.h"
#include "tool/KestraluxTool.h"

namespace kestralux {

// Prints each message the ports it made send and receive, one line each as the MIDI monitor
// shows it, the time counted from the tracer's start. Printed on the thread that calls print.
class Tracer {
 public:
  explicit Tracer(std::ostream& to, bool receivedOnly = false);
  PortsFactory wrap(const PortsFactory& factory) const;
  void print();

 private:
  std::shared_ptr<MessageTap> tap_ = std::make_shared<MessageTap>();
  std::ostream& to_;
  bool receivedOnly_;
  MessageReader reader_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

int runMonitorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports);
int runCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PortsFactory& ports);
std::string monitorUsage();

}  // namespace kestralux
