// "Get All Presets from Kestralux" and "Store All Presets to Kestralux" under a user's clicks,
// over the engine and a loopback port: what the device hears, what the window shows, and
// the two timers run tick by tick.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "app/ClickablePanel.h"
#include "app/MessageLine.h"
#include "app/PanelNotice.h"
#include "tests/app/UserActions.h"
#include "editor/EditorTables.h"
#include "tests/editor/LiveEditor.h"
#include "tests/PresetValues.h"

namespace kestralux::test {
namespace {

using namespace std::chrono_literals;

const QColor kLime(0, 255, 0), kTeal(0, 128, 128), kMaroon(128, 0, 0), kRed(255, 0, 0), kGreen(0, 128, 0);

Message presetMessage(std::uint8_t command, const PresetRecord& record) {
  const PresetMessage m = buildPresetMessage(command, record);
  return Message(m.begin(), m.end());
}

// The device's bank: in range for every control, DELAY_TIME and EFF_RATE above 127.
PresetBank deviceBank() {
  PresetBank bank{};
  for (int n = 0; n < kPresetCount; ++n) {
    PresetRecord& r = bank[static_cast<std::size_t>(n)];
    for (int i = 0; i < kParameterCount; ++i) r.setValue(i, (n + i * 7) % 31);
    test::makePreset(r, n);
    r.setValue(AMP_TYPE, n % 16);
    r.setValue(DELAY_TIME, 130 + n * 4);
    r.setValue(EFF_RATE, 200 + n);
    r.setValue(EFFECT_SELECT, 2);  // FLANGER: its rate range is 0..255
  }
  return bank;
}

void clickPanel(ClickablePanel* panel) { QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center()); }

class DeviceTransfers : public LiveEditor {
 protected:
  void SetUp() override {
    LiveEditor::SetUp();
    protocol.clock = [this] { return now; };
    // Timers run when a test says so; the store's driver runs on the test's clock.
    for (QTimer* t : {form->Timer2, form->STORE_Time2, form->transferWake}) t->stop();
    actions.transfers().now = [this] { return now; };
    actions.transfers().wakeAfter = [this](std::chrono::milliseconds after) { wakeAt = now + after; };
  }

  // The store driver's next wake, on time.
  void storeStep() {
    now = std::max(now, wakeAt);
    form->transferWakeTick();
  }
  // The store goes on to its end; the combo says nothing more.
  void storeToTheEnd() {
    for (int guard = 0; actions.storeRunning() && guard < 1000; ++guard) storeStep();
  }

  // The device's answer arrives through the input port and waits in the ring for the tick.
  void deviceSends(const std::vector<Message>& messages) {
    for (const Message& m : messages) ASSERT_TRUE(ports.inject(m));
    QCoreApplication::processEvents();
  }
  std::vector<Message> answerOf(const PresetBank& bank, int count = kPresetCount) {
    std::vector<Message> answer;
    for (int n = 0; n < count; ++n)
      answer.push_back(presetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, bank[static_cast<std::size_t>(n)]));
    return answer;
  }

  QString fetchCaption() const { return form->REQUES->caption(); }
  // What the store says: on its panel when the text fits there whole, else on the message line.
  QString storeCaption() const {
    const QString caption = form->STOR->caption();
    return caption == QLatin1String("Store All Presets to Kestralux") ? form->messageLine->text() : caption;
  }

  TransferClock::time_point now{};
  TransferClock::time_point wakeAt{};
};

TEST_F(DeviceTransfers, FetchFillsTheBankAndShowsPresetOneSentWhole) {
  stepUp(2);
  tick();
  forget();
  clickPanel(form->REQUES);
  EXPECT_EQ(form->REQUES->colour(), kLime);
  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x37, 0x00)}));
  EXPECT_TRUE(form->STORE_Time2->isActive());

  const PresetBank device = deviceBank();
  deviceSends(answerOf(device, 10));
  tick();
  EXPECT_EQ(fetchCaption(), "RECEIVING 10/30") << "every waiting message is decoded in one tick";

  // An edit while presets arrive goes to the preset on screen, not to the one under the cursor.
  forget();
  move(form->ScrollGAIN, Move::KeyEnd);
  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x02, 30)}));
  EXPECT_EQ(state.CurrentPreset, 2);
  EXPECT_EQ(state.bank[2].value(AMP_GAIN), 30);
  EXPECT_EQ(state.bank[9].value(AMP_GAIN), device[9].value(AMP_GAIN));

  std::vector<Message> rest = answerOf(device);
  rest.erase(rest.begin(), rest.begin() + 10);
  deviceSends(rest);
  tick();
  EXPECT_EQ(fetchCaption(), "ALL PRESETS RECEIVED");
  EXPECT_TRUE(state.BankRefreshPending);
  EXPECT_EQ(state.CurrentPreset, 2) << "preset 1 is shown by Timer2, not by the decoder";
  for (int n = 0; n < kPresetCount; ++n)
    for (int i = 0; i < kParameterCount; ++i)
      if (n != 2 || i != AMP_GAIN) {
        ASSERT_EQ(state.bank[n].value(i), device[n].value(i)) << n << " " << i;
      }

  // Timer2 shows preset 1 and the next tick sends it whole, as a step of the arrows does: the
  // combo's current sound may hold anything, so a control that did not move is sent too.
  const QString before = fetchCaption();
  forget();
  form->Timer2Timer();
  EXPECT_EQ(state.CurrentPreset, 0);
  EXPECT_EQ(form->PRESETUpDown->position(), 0);
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1");
  EXPECT_FALSE(state.BankRefreshPending);
  EXPECT_TRUE(form->Timer2->isActive());
  EXPECT_TRUE(sent().empty());
  tick();
  const PresetRecord& shown = state.bank[0];
  Messages expected;
  for (int i = 0; i < kParameterCount; ++i) {
    const int v = shown.value(i);
    expected.push_back(param(contextByte(i, SendPath::WholePreset, shown.value(EFFECT_SELECT), v),
                             static_cast<std::uint8_t>(codeOfParameter(i)), valueByte(v)));
  }
  EXPECT_EQ(hex(sent()), hex(expected));
  EXPECT_EQ(form->DTIMEEDIT->text(), "         520 ms");
  EXPECT_TRUE(form->FLANBTN->isChecked());
  EXPECT_EQ(fetchCaption(), before);

  form->fetchNotice->timerTick();
  EXPECT_EQ(fetchCaption(), "Get All Presets from Kestralux") << "the caption comes back after two seconds";
  form->STORE_Time2Timer();
  EXPECT_EQ(form->REQUES->colour(), kTeal);
}

TEST_F(DeviceTransfers, BrokenAndUnansweredFetchesAreTold) {
  clickPanel(form->REQUES);
  now += 500ms;
  tick();  // the request goes once more, and the 2 s count from it
  now += 1950ms;
  tick();
  EXPECT_EQ(fetchCaption(), "Get All Presets from Kestralux");
  now += 50ms;
  tick();
  EXPECT_EQ(fetchCaption(), "NO ANSWER FROM COMBO");

  // Twelve presets, the fifth damaged, then silence.
  const PresetBank before = state.bank;
  const PresetBank device = deviceBank();
  std::vector<Message> answer = answerOf(device, 12);
  answer[4][kChecksumByte] ^= 0x01;
  clickPanel(form->REQUES);
  deviceSends(answer);
  tick();
  EXPECT_EQ(fetchCaption(), "RECEIVING 12/30");
  now += 2s;
  forget();
  tick();
  form->Timer2Timer();
  EXPECT_TRUE(sent().empty()) << "an incomplete fetch does not refresh the window";
  EXPECT_EQ(form->PRENUM->text(), "PRESET 1");
  EXPECT_EQ(state.bank[4], before[4]) << "the damaged preset keeps its values";
  EXPECT_EQ(state.bank[12], before[12]);
  EXPECT_EQ(fetchCaption(), "ONLY 12 OF 30 RECEIVED");
  form->fetchNotice->timerTick();
  EXPECT_EQ(fetchCaption(), "PRESET 5 DAMAGED, KEPT");
  form->fetchNotice->timerTick();
  EXPECT_EQ(fetchCaption(), "Get All Presets from Kestralux");
}

TEST_F(DeviceTransfers, StoreAllAfterYesPacedAndUntouchable) {
  state.bank = deviceBank();
  stepUp();  // a whole-preset send is pending when the store is confirmed
  QString caption, text;
  answerBox(QMessageBox::Yes, &caption, &text);
  clickPanel(form->STOR);
  EXPECT_EQ(caption, " STORE ALL PRESETS BACK TO KESTRALUX? ");
  EXPECT_EQ(text, "Are you sure you want to do this?");
  EXPECT_EQ(form->STOR->colour(), kRed);
  EXPECT_TRUE(state.StoreRequested);
  const PresetBank atYes = state.bank;

  // Until the store has ended the window takes no edit, step, fetch or second store, and
  // the pending whole preset waits.
  QString secondBox;
  QPointer<QTimer> watcher = answerBox(QMessageBox::No, &secondBox);
  move(form->ScrollGAIN, Move::ArrowClick);
  stepUp();
  clickPanel(form->REQUES);
  clickPanel(form->STOR);
  EXPECT_TRUE(secondBox.isEmpty()) << "a second store was asked for";
  delete watcher;
  tick();
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(state.bank, atYes);

  // The restore tick falling before the store starts does not turn it into a single store.
  form->STORE_Time2Timer();
  EXPECT_EQ(state.storeScope, StoreScope::SINGLE);

  form->Timer2Timer();
  EXPECT_FALSE(state.StoreRequested);
  EXPECT_FALSE(form->Timer2->isActive()) << "Timer2 rests while the store runs";
  EXPECT_EQ(storeCaption(), "READING THE COMBO'S BANK");
  EXPECT_EQ(hex(sent()), hex({param(0x00, 0x37, 0x00)}));

  // The combo's bank comes, and the store goes out at once; the bank on screen stays.
  const PresetBank combo = deviceBank();
  PresetBank comboValues = combo;
  for (PresetRecord& r : comboValues) r.setValue(AMP_BASS, 1);
  deviceSends(answerOf(comboValues));
  tick();
  EXPECT_EQ(state.bank, atYes);
  EXPECT_EQ(storeCaption(), "STORING 1/30");
  for (int n = 1; n < kPresetCount; ++n) storeStep();
  EXPECT_EQ(storeCaption(), "STORING 30/30");
  Messages expected{param(0x00, 0x37, 0x00)};
  for (int n = 0; n < kPresetCount; ++n)
    expected.push_back(presetMessage(n == 0 ? CMD_BANK_FIRST : CMD_BANK_NEXT, atYes[static_cast<std::size_t>(n)]));
  EXPECT_EQ(hex(sent()), hex(expected));
  EXPECT_EQ(state.CurrentPreset, 1);

  storeStep();  // the last message's pause is over: the bank is read back
  EXPECT_EQ(storeCaption(), "READING BACK");
  deviceSends(answerOf(atYes));
  tick();
  EXPECT_EQ(storeCaption(), "STORED AND CHECKED: 30 OF 30");
  EXPECT_FALSE(actions.storeRunning());
  EXPECT_TRUE(form->Timer2->isActive());
  EXPECT_TRUE(form->STORE_Time2->isActive());
  EXPECT_EQ(sent().size(), 32u);

  forget();
  tick();
  EXPECT_EQ(sent().size(), 16u) << "the held whole-preset send goes out after the store";
  forget();
  move(form->ScrollGAIN, Move::ArrowClick);
  EXPECT_EQ(sent().size(), 1u) << "the window takes input again";

  form->STORE_Time2Timer();
  EXPECT_EQ(form->STOR->colour(), kMaroon);
  EXPECT_EQ(form->REQUES->colour(), kTeal);
  EXPECT_EQ(form->STORE_SELECT->colour(), kGreen);
  EXPECT_FALSE(form->STORE_Time2->isActive());
}

// Confirmed within 500 ms of a fetch click, with the box left open: the restore tick runs
// inside the box, and the store that goes out is still all 30.
TEST_F(DeviceTransfers, AStoreAllConfirmedAfterARestoreTickInsideItsBoxStoresAll) {
  state.bank = deviceBank();
  clickPanel(form->REQUES);
  ASSERT_TRUE(form->STORE_Time2->isActive());
  forget();
  bool restoredInside = false;
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || form->STORE_Time2->isActive()) return;  // the real tick has not run yet
    restoredInside = form->REQUES->colour() == kTeal;
    poll->stop();
    poll->deleteLater();
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
  });
  poll->start(20);
  clickPanel(form->STOR);
  ASSERT_TRUE(restoredInside) << "the restore tick did not run while the box was open";

  form->Timer2Timer();
  storeToTheEnd();
  Messages stored;
  for (const Message& m : sent())
    if (m.size() == kPresetMessageSize) stored.push_back(m);
  ASSERT_EQ(stored.size(), 30u) << "a confirmed store-all went out as a single store";
  EXPECT_EQ(stored[0], presetMessage(CMD_BANK_FIRST, state.bank[0]));
  EXPECT_EQ(stored[29], presetMessage(CMD_BANK_NEXT, state.bank[29]));
  EXPECT_EQ(storeCaption(), "STORE NOT CHECKED: THE COMBO DID NOT ANSWER");
}

// With no output port every message fails: one card-error box, and the store says it failed.
TEST_F(DeviceTransfers, AStoreThatCouldNotBeSentSaysStoreFailed) {
  ports.failSends = true;
  answerBox(QMessageBox::Yes);
  clickPanel(form->STOR);
  form->Timer2Timer();
  storeToTheEnd();
  EXPECT_EQ(storeCaption(), "STORE FAILED");
  EXPECT_EQ(cardErrors, 1);
  cardErrors = 0;
}

TEST_F(DeviceTransfers, StoreAnsweredNoSendsNothing) {
  answerBox(QMessageBox::No);
  clickPanel(form->STOR);
  form->Timer2Timer();
  EXPECT_TRUE(sent().empty());
  EXPECT_FALSE(state.StoreRequested);
  EXPECT_EQ(state.storeScope, StoreScope::ALL);
  EXPECT_EQ(form->STOR->colour(), kMaroon);
  EXPECT_EQ(form->STORE_SELECT->colour(), kGreen);
  move(form->ScrollGAIN, Move::ArrowClick);
  EXPECT_EQ(sent().size(), 1u);
}

// COMPARE, then a bank nobody clicked for arrives and stops short: the compare ends with the
// first preset, and the window shows and sends what the bank holds, never the reference.
TEST_F(DeviceTransfers, ABankArrivingDuringACompareEndsItOnScreenToo) {
  for (int i = 0; i < 3; ++i) move(form->ScrollGAIN, Move::ArrowClick);
  form->COMPARE1->trigger();
  ASSERT_TRUE(session.comparing());
  ASSERT_EQ(form->ScrollGAIN->value(), 0);
  protocol.RequestBank();  // as at start or on plugging in
  tick();
  forget();
  deviceSends(answerOf(deviceBank(), 4));
  tick();
  EXPECT_FALSE(session.comparing());
  EXPECT_EQ(form->ScrollGAIN->value(), 3) << "the screen still shows the reference";
  EXPECT_EQ(form->PRENUM->text(), "PRESET   1*");
  tick();
  ASSERT_EQ(sent().size(), 16u) << "the preset on screen goes out whole";
  EXPECT_EQ(sent()[1], param(0x00, 0x02, 0x03));
}

}  // namespace
}  // namespace kestralux::test
