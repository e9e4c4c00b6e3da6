// The connection check's report: what it says for each way a combo can answer, or not.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ConnectionCheck.h"

using namespace kestralux;
using namespace std::chrono_literals;

namespace {

const std::vector<std::string> kOutputs{"Midi Through", "COMBO IN"};
const std::vector<std::string> kInputs{"Midi Through", "COMBO OUT", "KEYS"};

CheckFindings found(PortNames pair, bool sent, std::map<std::string, InputAnswers> answers) {
  return {kOutputs, kInputs, std::move(pair), sent, std::move(answers)};
}

const PortNames kPair{"COMBO IN", "COMBO OUT"};

struct ReportRow {
  const char* name;
  CheckFindings findings;
  bool whole;
  std::vector<std::string> says;
  std::vector<std::string> saysNot;
};

const ReportRow kReports[] = {
    {"answers on the chosen input",
     found(kPair, true, {{"COMBO OUT", {30, 0, 412ms}}}),
     true,
     {"MIDI outputs seen: 2\n  0  Midi Through\n  1  COMBO IN\n", "MIDI inputs seen: 3\n",
      "Pair in use: output 1 \"COMBO IN\", input 1 \"COMBO OUT\"\n", "Bank request sent on output \"COMBO IN\".\n",
      "Answers on input \"COMBO OUT\" (in use): 30 of 30 presets, 0 damaged, the last 412 ms after the request\n",
      "The combo answered whole on the pair in use.\n"},
     {"damaged:", "The fix"}},
    {"answers on another input only",
     found({"COMBO IN", "KEYS"}, true, {{"COMBO OUT", {30, 0, 380ms}}}),
     false,
     {"Answers on input \"KEYS\" (in use): 0 of 30 presets, 0 damaged\n",
      "Answers on input \"COMBO OUT\": 30 of 30 presets, 0 damaged, the last 380 ms after the request\n",
      "Nothing answered on the input in use, but input 1 \"COMBO OUT\" did.\n",
      "The fix: choose INPUT 1 \"COMBO OUT\" in MIDI SETUP (kestralux-tool: --in \"COMBO OUT\").\n"},
     {"answered whole"}},
    {"damaged answers on the chosen input",
     found(kPair, true, {{"COMBO OUT", {27, 3, 950ms}}}),
     false,
     {"Answers on input \"COMBO OUT\" (in use): 27 of 30 presets, 3 damaged, the last 950 ms after the request\n",
      "3 answers came damaged: a cable or interface dropping bytes, or a too-fast port.\n"},
     {"answered whole", "Only"}},
    {"damaged answers on another input too",
     found({"COMBO IN", "KEYS"}, true, {{"COMBO OUT", {29, 1, 500ms}}}),
     false,
     {"The fix: choose INPUT 1 \"COMBO OUT\"", "1 answer came damaged: a cable"},
     {}},
    {"an answer cut off",
     found(kPair, true, {{"COMBO OUT", {11, 0, 200ms}}}),
     false,
     {"Only 11 of 30 presets came on the input in use: the answer stopped on its way.\n"},
     {"damaged:", "The fix"}},
    {"nothing anywhere",
     found(kPair, true, {}),
     false,
     {"Answers on input \"COMBO OUT\" (in use): 0 of 30 presets, 0 damaged\n",
      "No input heard an answer: is the combo on, and is output \"COMBO IN\" the one its MIDI IN is connected to?\n"},
     {"The fix", "damaged:"}},
    {"the chosen ports are gone",
     found({"OLD IN", "OLD OUT"}, false, {}),
     false,
     {"Pair in use: output \"OLD IN\" (not there now), input \"OLD OUT\" (not there now)\n",
      "The bank request could not be sent on output \"OLD IN\".\n"},
     {"Bank request sent", "Answers"}},
    {"no output chosen",
     found({"", ""}, false, {}),
     false,
     {"Pair in use: output none, input none\n", "No bank request sent: no output is chosen. Choose OUTPUT in MIDI SETUP.\n"},
     {"Bank request sent"}},
};

}  // namespace

TEST(ConnectionCheck, Report) {
  for (const ReportRow& row : kReports) {
    SCOPED_TRACE(row.name);
    const CheckReport report = checkReport(row.findings);
    EXPECT_EQ(report.wholeOnPair, row.whole);
    for (const std::string& line : row.says) EXPECT_NE(report.text.find(line), std::string::npos) << line << "\nin\n" << report.text;
    for (const std::string& line : row.saysNot) EXPECT_EQ(report.text.find(line), std::string::npos) << line << "\nin\n" << report.text;
  }
}
