// The bank sheet of a known bank, in each format, against its golden file; and what each
// format promises whatever the golden says: whole CSV records, aligned text, a page with
// nothing to fetch from elsewhere.
// KESTRALUX_UPDATE_GOLDEN=1 writes the golden files anew (then read them before committing).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/EditorTables.h"
#include "files/BankSheet.h"

namespace kestralux {
namespace {

// Every amp model and every effect, values from each control's lowest to beyond its highest,
// and names that need care: Latin-1, a comma and quotes, markup, a line break, none at all.
PresetBank knownBank() {
  const char* names[kPresetCount] = {"CLEAN SOLO", "CAF\xC9 CR\xDCNCH", "SOLO, \"LEAD\"", "<B>&AMP", "TWO\nLINES",
                                     "", "RHYTHM", "AMBIENT PAD", "WAH FUNK", "DETUNE WIDE"};
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    const char* name = names[n] ? names[n] : nullptr;
    if (name && *name) r.storeName(name);
    if (!name) r.storeName("PRESET " + std::to_string(n + 1));
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n * 7 + i * 3) % 32);
    r.setValue(AMP_TYPE, (n * 5) % kAmpModelCount);
    r.setValue(EFFECT_SELECT, kEffects[static_cast<std::size_t>(n) % kEffects.size()].code);
    r.setValue(DELAY_TIME, (n * 37) % 256);
    r.setValue(EFF_RATE, n == 29 ? 255 : (n * 41) % 256);
  }
  bank[0].setValue(AMP_GAIN, 0);
  return bank;
}

std::string goldenPath(const char* name) { return std::string(KESTRALUX_GOLDEN_DIR) + "/" + name; }

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// RFC 4180 records, each a list of fields; a record that does not end in CRLF is an error.
std::vector<std::vector<std::string>> csvRecords(const std::string& csv) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t k = 0; k < csv.size(); ++k) {
    const char c = csv[k];
    std::string& field = records.back().back();
    if (quoted) {
      if (c == '"' && k + 1 < csv.size() && csv[k + 1] == '"') field += csv[++k];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().emplace_back();
    } else if (c == '\r' && k + 1 < csv.size() && csv[k + 1] == '\n') {
      ++k;
      records.emplace_back(1);
    } else {
      EXPECT_NE(c, '\n') << "a bare line feed outside quotes at byte " << k;
      field += c;
    }
  }
  EXPECT_EQ(records.back(), std::vector<std::string>(1)) << "the last record ends with CRLF";
  records.pop_back();
  return records;
}

TEST(BankSheet, KnownBankInEachFormatMatchesItsGolden) {
  struct Row {
    SheetFormat format;
    const char* golden;
    void (*check)(const std::string& sheet);
  };
  const Row rows[] = {
      {SheetFormat::Text, "bank-sheet.txt",
       [](const std::string& sheet) {
         std::istringstream lines(sheet);
         std::string line, heading;
         std::getline(lines, heading);
         int count = 0;
         while (std::getline(lines, line)) {
           ++count;
           // One byte a column: UTF-8 continuation bytes take none.
           std::erase_if(line, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
           // "REVERB LEVEL" starts where each row's value starts: columns do not move.
           const std::size_t column = heading.find("REVERB LEVEL");
           EXPECT_EQ(line.substr(column - 2, 2), "  ") << line;
           EXPECT_NE(line[column], ' ') << line;
         }
         EXPECT_EQ(count, kPresetCount) << "one line per preset, whatever its name holds";
       }},
      {SheetFormat::Csv, "bank-sheet.csv",
       [](const std::string& sheet) {
         const auto records = csvRecords(sheet);
         ASSERT_EQ(records.size(), 1u + kPresetCount);
         for (const auto& record : records) EXPECT_EQ(record.size(), 2u + kParameterCount);
         EXPECT_EQ(records[0][2], "AMP MODEL");
         EXPECT_EQ(records[3][1], "SOLO, \"LEAD\"");
         EXPECT_EQ(records[5][1], "TWO\nLINES");
         EXPECT_EQ(records[2][1], "CAF\xC3\x89 CR\xC3\x9CNCH") << "UTF-8";
       }},
      {SheetFormat::Html, "bank-sheet.html",
       [](const std::string& sheet) {
         for (const char* never : {"<script", "http:", "https:", "src=", "url(", "@import", "<B>"})
           EXPECT_EQ(sheet.find(never), std::string::npos) << never;
         EXPECT_NE(sheet.find("<meta charset=\"utf-8\">"), std::string::npos);
         EXPECT_NE(sheet.find("name=\"viewport\""), std::string::npos);
         std::size_t pages = 0;
         for (std::size_t at = sheet.find("<div class=\"page\">"); at != std::string::npos; at = sheet.find("<div class=\"page\">", at + 1)) ++pages;
         EXPECT_EQ(pages, 3u) << "ten presets a page";
       }},
  };
  const PresetBank bank = knownBank();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.golden);
    const std::string sheet = bankSheet(bank, row.format, "known <bank>.bnk");
    if (std::getenv("KESTRALUX_UPDATE_GOLDEN")) std::ofstream(goldenPath(row.golden), std::ios::binary) << sheet;
    EXPECT_EQ(sheet, readAll(goldenPath(row.golden)));
    row.check(sheet);
  }
}

// A name as its CSV field is written: quoted as RFC 4180 says, and never a formula.
TEST(BankSheet, CsvNamesAreTextAndQuoted) {
  struct Row {
    const char* name;
    const char* field;
  };
  const Row rows[] = {
      {"12\" CAB", "\"12\"\" CAB\""}, {"=SUM(A1)", "'=SUM(A1)"}, {"+GAIN", "'+GAIN"},  {"-5 DB", "'-5 DB"},
      {"@HOME", "'@HOME"},            {"=A,B", "\"'=A,B\""},     {"A=B", "A=B"},          {"PLAIN", "PLAIN"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PresetRecord r = knownBank()[0];
    ASSERT_TRUE(r.storeName(row.name));
    const std::string sheet = bankSheet(std::span(&r, 1), SheetFormat::Csv, "");
    const std::string line = sheet.substr(sheet.find("\r\n") + 2);
    EXPECT_EQ(line.substr(0, 2 + std::string(row.field).size() + 1), "1," + std::string(row.field) + ",");
  }
}

}  // namespace
}  // namespace kestralux
