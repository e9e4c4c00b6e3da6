#include "app/ExploreWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "actions/EditorActions.h"
#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

constexpr const char* kGeometryKey = "ExploreWindow/geometry";
constexpr const char* kLocksKey = "ExploreWindow/locks";
constexpr const char* kAmountKey = "ExploreWindow/amount";

}  // namespace

ExploreWindow::ExploreWindow(EditorActions& actions, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool),
      session(actions.exploreSession(freshSeed())),
      actions_(actions) {
  setObjectName(QStringLiteral("ExploreWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX EXPLORE"));
  setAttribute(Qt::WA_QuitOnClose, false);

  applyToolWindowLook(*this);
  // Its buttons purple, as the main window's.
  QPalette buttons = palette();
  buttons.setColor(QPalette::Button, colourOf(layout::kPurple));
  buttons.setColor(QPalette::ButtonText, colourOf(layout::kWhite));
  setPalette(buttons);

  const QSettings settings;
  session.locks = Locks::fromText(settings.value(QLatin1String(kLocksKey), QString::fromStdString(Locks().text())).toString().toStdString());
  session.amount = std::clamp(settings.value(QLatin1String(kAmountKey), 25).toInt(), 1, kLargestAmount);

  const auto button = [this](const char* name, const char* text, auto slot) {
    auto* b = new QPushButton(QLatin1String(text));
    b->setObjectName(QLatin1String(name));
    // Enter on a focused button clicks it, as Space does.
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };

  // VARY and AGAIN, by the amount.
  amount = new QSpinBox;
  amount->setObjectName(QStringLiteral("exploreAmount"));
  amount->setRange(1, kLargestAmount);
  amount->setSuffix(QStringLiteral(" %"));
  amount->setValue(session.amount);
  amount->setAccessibleName(QStringLiteral("AMOUNT"));
  connect(amount, &QSpinBox::valueChanged, this, [this](int value) {
    session.amount = value;
    QSettings().setValue(QLatin1String(kAmountKey), value);
  });
  varyButton = button("exploreVary", "VARY", [this] { say(session.varyOnScreen()); });
  againButton = button("exploreAgain", "AGAIN", [this] { say(session.again()); });
  againButton->setToolTip(QStringLiteral("Ctrl+R: undo the last variation and vary the same preset again"));
  auto* varyRow = new QHBoxLayout;
  auto* amountCaption = new QLabel(QStringLiteral("AMOUNT"));
  amountCaption->setBuddy(amount);
  varyRow->addWidget(amountCaption);
  varyRow->addWidget(amount);
  varyRow->addWidget(varyButton);
  varyRow->addWidget(againButton);
  varyRow->addStretch(1);

  // MORPH toward a slot, the reference or a library sound.
  morphTarget = new QComboBox;
  morphTarget->setObjectName(QStringLiteral("morphTarget"));
  morphTarget->setAccessibleName(QStringLiteral("MORPH TOWARD"));
  morphTarget->addItem(QStringLiteral("CHOOSE..."));
  for (int n = 1; n <= kPresetCount; ++n) morphTarget->addItem(QString());
  nameSlotTargets();
  listener_ = actions_.listen([this](const ActionNotice& notice) {
    if (notice.bankChanged) nameSlotTargets();
  });
  morphTarget->addItem(QStringLiteral("THE REFERENCE"));
  morphTarget->addItem(QStringLiteral("THE LIBRARY SOUND SELECTED"));
  connect(morphTarget, &QComboBox::activated, this, &ExploreWindow::chooseMorphTarget);
  morphSlider = new QSlider(Qt::Horizontal);
  morphSlider->setObjectName(QStringLiteral("morphSlider"));
  morphSlider->setAccessibleName(QStringLiteral("MORPH POSITION"));
  morphSlider->setRange(0, kLargestPosition);
  morphSlider->setPageStep(10);
  connect(morphSlider, &QSlider::valueChanged, this, [this](int at) {
    say(session.moveMorph(at));
    // A key or a click in the groove has no drag to let go of: it is let go at once.
    if (!morphSlider->isSliderDown() && session.hasMorphTarget()) say(session.letGoMorph());
  });
  connect(morphSlider, &QSlider::sliderReleased, this, [this] { say(session.letGoMorph()); });
  auto* morphBox = new QGroupBox(QStringLiteral("MORPH"));
  auto* morphRow = new QHBoxLayout(morphBox);
  morphRow->addWidget(new QLabel(QStringLiteral("TOWARD")));
  morphRow->addWidget(morphTarget);
  morphRow->addWidget(morphSlider, 1);

  // CLIMB: eight candidates.
  climbButton = button("exploreClimb", "CLIMB", [this] {
    say(session.climb());
    showCandidates();
  });
  auto* climbBox = new QGroupBox(QStringLiteral("CLIMB"));
  auto* climbLayout = new QVBoxLayout(climbBox);
  candidateStrip = new QWidget;
  candidateStrip->setObjectName(QStringLiteral("candidateStrip"));
  auto* candidatesRow = new QHBoxLayout(candidateStrip);
  candidatesRow->setContentsMargins(0, 0, 0, 0);
  candidatesRow->addWidget(climbButton);
  for (int n = 0; n < kCandidates; ++n) {
    auto* b = new QPushButton(QString::number(n + 1));
    b->setObjectName(QStringLiteral("candidate%1").arg(n + 1));
    b->setFixedWidth(34);
    b->setAccessibleName(QStringLiteral("CANDIDATE %1").arg(n + 1));
    connect(b, &QPushButton::clicked, this, [this, n] {
      say(session.hearCandidate(n));
      showCandidates();
    });
    candidateButtons[static_cast<std::size_t>(n)] = b;
    candidatesRow->addWidget(b);
  }
  candidatesRow->addStretch(1);
  breedButton = button("exploreBreed", "BREED", [this] {
    say(session.breedNext());
    showCandidates();
  });
  backButton = button("exploreBack", "BACK", [this] {
    say(session.back());
    showCandidates();
  });
  keepButton = button("exploreKeep", "KEEP", [this] {
    say(session.keep());
    showCandidates();
  });
  auto* climbRow = new QHBoxLayout;
  climbRow->addWidget(breedButton);
  climbRow->addWidget(backButton);
  climbRow->addWidget(keepButton);
  climbRow->addStretch(1);
  auto* keysHint = new QLabel(QStringLiteral("ON THE CANDIDATES: 1-8 HEAR   SPACE MARK   ENTER BREED   BACKSPACE BACK      ESC THE PRESET ON SCREEN"));
  // Wrapped where the window is narrow, so it fits beside the main window on a small screen.
  keysHint->setWordWrap(true);
  climbLayout->addWidget(candidateStrip);
  climbLayout->addLayout(climbRow);
  climbLayout->addWidget(keysHint);

  // A lock per control.
  auto* locksBox = new QGroupBox(QStringLiteral("LOCKS (ALSO A RIGHT-CLICK ON A CAPTION OF THE MAIN WINDOW)"));
  auto* locksGrid = new QGridLayout(locksBox);
  int cell = 0;
  // A box ticked or not reads on navy: white, with a black tick, as on any desktop.
  QPalette lockLook = palette();
  lockLook.setColor(QPalette::Base, colourOf(layout::kWhite));
  lockLook.setColor(QPalette::Text, colourOf(layout::kBlack));
  for (const ParameterCaption& c : kParameterCaptions) {
    auto* box = new QCheckBox(latin1(c.caption));
    box->setPalette(lockLook);
    box->setObjectName(QStringLiteral("lock%1").arg(c.parameter));
    box->setChecked(session.locks.locked(c.parameter));
    connect(box, &QCheckBox::toggled, this, [this, parameter = c.parameter](bool locked) { setLocked(parameter, locked); });
    lockBoxes[c.parameter] = box;
    locksGrid->addWidget(box, cell / 4, cell % 4);
    ++cell;
  }

  status = new QLabel;
  status->setObjectName(QStringLiteral("exploreStatus"));
  status->setMinimumHeight(20);
  QPalette statusPalette = status->palette();
  statusPalette.setColor(QPalette::WindowText, colourOf(layout::kLime));
  status->setPalette(statusPalette);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(varyRow);
  layout->addWidget(morphBox);
  layout->addWidget(climbBox);
  layout->addWidget(locksBox);
  layout->addWidget(status);

  // The keys of this window: a filter rather than shortcuts, so they act even where the
  // desktop keeps the main window active under its tool window.
  qApp->installEventFilter(this);

  showCandidates();
}

ExploreWindow::~ExploreWindow() {
  actions_.stopListening(listener_);
  if (isVisible()) rememberPlace(*this, kGeometryKey);
}

void ExploreWindow::openWith(QAction* command) {
  exploreAction = command;
  if (!command) return;
  command->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  command->setShortcutContext(Qt::WindowShortcut);
  connect(command, &QAction::triggered, this, &ExploreWindow::showBeside);
}

void ExploreWindow::showBeside() {
  kestralux::showBeside(*this, kGeometryKey);
  // On the candidate strip, where the climb's keys act.
  climbButton->setFocus();
  // Said at once: a transfer that runs now keeps every button from acting.
  const ExploreBlock block = actions_.exploreBlock();
  say(block == ExploreBlock::None ? std::string("FROM PRESET ") + std::to_string(actions_.currentPreset() + 1)
                                  : ExploreSession::blockedText(block));
}

bool ExploreWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_R)) {
    againButton->click();
    return true;
  }
  // Typing a number into the amount (digits, Backspace, its own undo) belongs to the amount.
  const int k = key->key();
  const bool typing = (k >= Qt::Key_0 && k <= Qt::Key_9) || k == Qt::Key_Backspace || key->matches(QKeySequence::Undo) ||
                      key->matches(QKeySequence::Redo);
  if (typing && (widget == amount || amount->isAncestorOf(widget))) return false;
  if (key->matches(QKeySequence::Undo)) {
    actions_.transferRunning() ? say(kTransferInProgress) : actions_.undo();
    return true;
  }
  if (key->matches(QKeySequence::Redo) || key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
    actions_.transferRunning() ? say(kTransferInProgress) : actions_.redo();
    return true;
  }
  if (key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) return false;
  if (k == Qt::Key_Escape) {
    say(session.leave());
    showCandidates();
    return true;
  }
  // Elsewhere a focused button, box or list takes its own Space and Enter.
  if (!candidateStrip->isAncestorOf(widget)) return false;
  if (k >= Qt::Key_1 && k < Qt::Key_1 + kCandidates) {
    say(session.hearCandidate(k - Qt::Key_1));
  } else if (k == Qt::Key_Space) {
    say(session.markHeard());
  } else if (k == Qt::Key_Return || k == Qt::Key_Enter) {
    say(session.breedNext());
  } else if (k == Qt::Key_Backspace) {
    say(session.back());
  } else {
    return false;
  }
  showCandidates();
  return true;
}

void ExploreWindow::hideEvent(QHideEvent* event) {
  rememberPlace(*this, kGeometryKey);
  // Closing the window: the combo plays the preset on screen again.
  session.leave();
  showCandidates();
  QWidget::hideEvent(event);
}

void ExploreWindow::setLocked(int parameter, bool locked) {
  session.locks.set(parameter, locked);
  if (QCheckBox* box = lockBoxes[parameter]; box && box->isChecked() != locked) {
    const QSignalBlocker quiet(box);
    box->setChecked(locked);
  }
  saveLocks();
  emit locksChanged();
}

void ExploreWindow::saveLocks() { QSettings().setValue(QLatin1String(kLocksKey), QString::fromStdString(session.locks.text())); }

void ExploreWindow::say(const std::string& text) {
  // Our texts are ASCII; a name in them is Latin-1, as the preset file holds it.
  if (!text.empty()) status->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void ExploreWindow::nameSlotTargets() {
  for (int n = 1; n <= kPresetCount; ++n) {
    const PresetRecord& record = actions_.bank()[static_cast<std::size_t>(n - 1)];
    const QString name = presetNameText(record);
    const QString amp = ampModelText(record);
    morphTarget->setItemText(n, QStringLiteral("%1  %2").arg(n).arg(name.isEmpty() ? QStringLiteral("-") : name) +
                                    (amp.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(amp)));
  }
}

void ExploreWindow::chooseMorphTarget(int index) {
  std::string said;
  if (index >= 1 && index <= kPresetCount) {
    said = session.setMorphTarget(actions_.bank()[static_cast<std::size_t>(index - 1)], "PRESET " + std::to_string(index));
  } else if (index == kPresetCount + 1) {
    said = session.setMorphTarget(actions_.referenceOf(actions_.currentPreset()), "THE REFERENCE");
  } else if (index == kPresetCount + 2) {
    const std::optional<EditorActions::PickedSound>& sound = actions_.pickedSound();
    if (!sound) {
      say("SELECT A SOUND IN THE LIBRARY OF THE BANK WINDOW (CTRL+B) FIRST");
      return;
    }
    said = session.setMorphTarget(sound->record, "\"" + (sound->name.empty() ? std::string("NO NAME") : sound->name) + "\"");
  } else {
    return;
  }
  const QSignalBlocker quiet(morphSlider);
  morphSlider->setValue(0);
  say(said);
}

void ExploreWindow::showCandidates() {
  const std::optional<int> heard = session.heardCandidate();
  for (int n = 0; n < kCandidates; ++n) {
    QPushButton* b = candidateButtons[static_cast<std::size_t>(n)];
    b->setEnabled(session.climbing());
    const bool marked = session.marked(n);
    b->setText(QString::number(n + 1) + (marked ? QStringLiteral("*") : QString()));
    QPalette p = palette();
    if (heard == n) p.setColor(QPalette::Button, colourOf(layout::kRed));
    else if (marked) p.setColor(QPalette::Button, colourOf(layout::kGreen));
    b->setPalette(p);
  }
  breedButton->setEnabled(session.climbing());
  backButton->setEnabled(session.generation() > 1);
  keepButton->setEnabled(heard.has_value());
  if (session.climbing()) climbButton->setText(QStringLiteral("CLIMB (GEN %1)").arg(session.generation()));
  else climbButton->setText(QStringLiteral("CLIMB"));
}

}  // namespace kestralux
