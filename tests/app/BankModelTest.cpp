// The bank's model without any window: every drop of records, whatever it came from, and what
// it does to the bank and says. How a drag within the list is taken and let go is the list's
// and is tested with the mouse in BankWindowTest.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QMimeData>

#include <cctype>
#include <functional>
#include <memory>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "app/BankModel.h"
#include "tests/PresetValues.h"
#include "tests/actions/RecordedActions.h"

namespace kestralux {
namespace {

struct Bank : test::RecordedActions {
  BankModel model{actions};
  QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
  std::vector<std::string> said;
  int landed = 0;

  Bank() {
    for (int n = 0; n < kPresetCount; ++n) {
      PresetRecord& record = state.bank[static_cast<std::size_t>(n)];
      test::makePreset(record, n);
      record.setValue(AMP_GAIN, n);
      record.storeName(std::to_string(n + 1));
    }
    state.reference = state.bank;
    QObject::connect(&model, &BankModel::said, [this](const QString& text) { said.push_back(text.toStdString()); });
    QObject::connect(&model, &BankModel::landed, [this] { ++landed; });
  }

  std::unique_ptr<QMimeData> dragged(std::initializer_list<int> rows) const {
    QModelIndexList indexes;
    for (int n : rows) indexes << model.index(n, BankModel::NameColumn);
    return std::unique_ptr<QMimeData>(model.mimeData(indexes));
  }
  std::unique_ptr<QMimeData> copied(std::initializer_list<int> rows) const {
    QModelIndexList indexes;
    for (int n : rows) indexes << model.index(n, 0);
    return std::unique_ptr<QMimeData>(model.clipboardData(indexes));
  }
  // The names of the first ten slots, which the rows arrange.
  std::string firstTen() const {
    std::string names;
    for (int n = 0; n < 10; ++n) names += (n ? " " : "") + state.bank[static_cast<std::size_t>(n)].validName().value_or("?");
    return names;
  }
};

PresetRecord named(const char* name, int amp) {
  PresetRecord record;
  test::makePreset(record, amp);
  record.setValue(AMP_GAIN, 200);
  record.storeName(name);
  return record;
}

std::unique_ptr<QMimeData> ofType(const QByteArray& bytes) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kRecordsMimeType), bytes);
  return data;
}

struct DropRow {
  const char* what;
  std::function<std::unique_ptr<QMimeData>(Bank&)> data;
  Qt::DropAction action;
  int row;
  std::function<void(Bank&)> meanwhile;  // between taking the data and dropping it
  std::string firstTen;                  // afterwards; slots 11 to 30 never change
  std::string said;                      // empty: nothing is said
};

void PrintTo(const DropRow& row, std::ostream* os) { *os << row.what; }

const PresetRecord kSound = named("SOUND", 7);
constexpr const char* kAsItWas = "1 2 3 4 5 6 7 8 9 10";

std::unique_ptr<QMimeData> range(Bank& b) { return b.dragged({1, 2}); }
std::unique_ptr<QMimeData> picked(Bank& b) { return b.dragged({4, 1}); }
std::unique_ptr<QMimeData> copied(Bank& b) { return b.copied({1, 2}); }
std::unique_ptr<QMimeData> sound(Bank&) { return std::unique_ptr<QMimeData>(soundDrag(kSound, "BRIT SOUND")); }
std::unique_ptr<QMimeData> text(Bank&) {
  auto data = std::make_unique<QMimeData>();
  data->setText("SLOT 1");
  return data;
}
std::unique_ptr<QMimeData> cutOff(Bank&) { return ofType(QByteArray(100, '\x01')); }
std::unique_ptr<QMimeData> rangeCutOff(Bank& b) {
  auto data = range(b);
  data->setData(QString::fromLatin1(kRecordsMimeType), QByteArray(100, '\x01'));
  return data;
}
std::unique_ptr<QMimeData> noPreset(Bank&) {
  PresetRecord stranger = kSound;
  stranger.setValue(AMP_TYPE, 97);
  return std::unique_ptr<QMimeData>(recordsMimeData(std::vector<PresetRecord>{kSound, stranger}));
}
void fetchIntoSlot3(Bank& b) {
  b.session.fetched(2, named("FETCHED", 3));
  b.session.fetchEnded();
}

const DropRow kDrops[] = {
    {"a range moved", range, Qt::MoveAction, 5, nullptr, "1 4 5 6 7 2 3 8 9 10", "2 PRESETS MOVED TO 6-7"},
    {"a range copied over", range, Qt::CopyAction, 5, nullptr, "1 2 3 4 5 2 3 8 9 10", "2 PRESETS COPIED OVER 6-7"},
    {"a range swapped", range, Qt::LinkAction, 5, nullptr, "1 6 7 4 5 2 3 8 9 10", "2-3 SWAPPED WITH 6-7"},
    {"picked slots moved together, in their order", picked, Qt::MoveAction, 7, nullptr, "1 3 4 6 7 8 9 2 5 10",
     "2 PRESETS MOVED TO 8-9"},
    {"picked slots copied over", picked, Qt::CopyAction, 7, nullptr, "1 2 3 4 5 6 7 2 5 10", "2 PRESETS COPIED OVER 8-9"},
    {"picked slots refused a swap", picked, Qt::LinkAction, 7, nullptr, kAsItWas, "SWAP NEEDS ONE UNBROKEN RANGE"},
    {"a fetch rewrote a dragged slot meanwhile", range, Qt::MoveAction, 5, fetchIntoSlot3, "1 2 FETCHED 4 5 6 7 8 9 10",
     "THE BANK CHANGED DURING THE DRAG"},
    {"a slot not dragged renamed meanwhile", range, Qt::MoveAction, 5, [](Bank& b) { b.actions.renameSlot(9, "LEAD"); },
     "1 4 5 6 7 2 3 8 9 LEAD", "2 PRESETS MOVED TO 6-7"},
    {"a fetch running", range, Qt::MoveAction, 5, [](Bank& b) { b.protocol.RequestBank(); }, kAsItWas, kTransferInProgress},
    {"our drag with damaged bytes", rangeCutOff, Qt::MoveAction, 5, nullptr, kAsItWas, ""},
    {"a library sound, another heard meanwhile", sound, Qt::CopyAction, 3, [](Bank& b) { b.actions.audition(named("OTHER", 5)); },
     "1 2 3 SOUND 5 6 7 8 9 10", "BRIT SOUND PUT INTO SLOT 4"},
    {"a paste after the bank changed", copied, Qt::CopyAction, 5, [](Bank& b) { b.actions.renameSlot(1, "LEAD"); },
     "1 LEAD 3 4 5 2 3 8 9 10", "2 PRESETS PASTED"},
    {"a paste is never a move", copied, Qt::MoveAction, 5, nullptr, kAsItWas, ""},
    {"text", text, Qt::CopyAction, 0, nullptr, kAsItWas, "NO PRESETS ON THE CLIPBOARD"},
    {"our type, cut off", cutOff, Qt::CopyAction, 0, nullptr, kAsItWas, "NO PRESETS ON THE CLIPBOARD"},
    {"our type, a record that is no preset", noPreset, Qt::CopyAction, 0, nullptr, kAsItWas, "NO PRESETS ON THE CLIPBOARD"},
};

class BankModelDrop : public ::testing::TestWithParam<DropRow> {};

TEST_P(BankModelDrop, LandsAsItsSourceAndActionSay) {
  const DropRow& row = GetParam();
  Bank bank;
  const PresetBank original = bank.state.bank;
  const std::unique_ptr<QMimeData> data = row.data(bank);
  if (row.meanwhile) row.meanwhile(bank);
  const PresetBank before = bank.state.bank;
  const std::size_t sent = bank.output.messages.size();
  const std::size_t steps = bank.session.steps();

  const bool wrote = bank.model.dropMimeData(data.get(), row.action, row.row, 0, {});

  EXPECT_EQ(bank.firstTen(), row.firstTen);
  for (std::size_t n = 10; n < kPresetCount; ++n) EXPECT_EQ(bank.state.bank[n], original[n]) << "slot " << n + 1;
  EXPECT_EQ(bank.said, row.said.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.said});
  const bool changed = bank.state.bank != before;
  EXPECT_EQ(wrote, changed);
  EXPECT_EQ(bank.landed, changed ? 1 : 0);
  if (!changed) {
    EXPECT_EQ(bank.output.messages.size(), sent) << "nothing is heard";
  }
  EXPECT_FALSE(bank.actions.auditioning()) << "a sound put into a slot is no longer only heard";
  EXPECT_EQ(bank.session.steps(), steps + (changed ? 1 : 0)) << "one undo step";
}

INSTANTIATE_TEST_SUITE_P(Drops, BankModelDrop, ::testing::ValuesIn(kDrops),
                         [](const ::testing::TestParamInfo<DropRow>& info) {
                           std::string name = info.param.what;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// A notice repaints only the rows whose cells now read otherwise, never the whole list.
struct NoticeRow {
  const char* what;
  std::function<void(Bank&)> action;
  std::set<int> rows;  // 0-based
};

const NoticeRow kNotices[] = {
    {"a slot renamed comes on screen", [](Bank& b) { b.actions.renameSlot(9, "LEAD"); }, {0, 9}},
    {"another slot on screen", [](Bank& b) { b.actions.showSlot(4); }, {0, 4}},
    {"the preset on screen edited", [](Bank& b) { b.actions.setParameter(AMP_GAIN, 77); }, {0}},
    {"one record pasted", [](Bank& b) { b.actions.paste(6, std::vector<PresetRecord>{kSound}); }, {6}},
};

TEST(BankModel, ANoticeSignalsOnlyTheCellsThatChanged) {
  for (const NoticeRow& row : kNotices) {
    SCOPED_TRACE(row.what);
    Bank bank;
    // The fixture filled the bank behind the model's back.
    ActionNotice filled;
    filled.bankChanged = true;
    bank.actions.tell(filled);
    std::set<int> signalled;
    QObject::connect(&bank.model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
      for (int n = from.row(); n <= to.row(); ++n) signalled.insert(n);
    });
    row.action(bank);
    EXPECT_EQ(signalled, row.rows);
  }
}

// What leaves the model: each slot once, in slot order, in our one type and nothing else; only
// the name is typed in place.
TEST(BankModel, RecordsLeaveInOneTypeAndOnlyNamesAreTyped) {
  Bank bank;
  EXPECT_EQ(bank.model.mimeTypes(), QStringList{kRecordsMimeType});
  for (const auto& data : {bank.dragged({4, 2, 4}), bank.copied({4, 2, 4})}) {
    EXPECT_EQ(data->formats(), QStringList{kRecordsMimeType});
    EXPECT_EQ(recordsOf(data.get()), (std::vector<PresetRecord>{bank.state.bank[2], bank.state.bank[4]}));
  }
  EXPECT_FALSE(bank.model.setData(bank.model.index(3, BankModel::AmpColumn), "X"));
  EXPECT_TRUE(bank.model.setData(bank.model.index(3, BankModel::NameColumn), "solo"));
  EXPECT_EQ(bank.state.bank[3].validName(), std::optional<std::string>("SOLO"));
  EXPECT_EQ(bank.said, std::vector<std::string>{"SLOT 4 RENAMED"});
}

}  // namespace
}  // namespace kestralux
