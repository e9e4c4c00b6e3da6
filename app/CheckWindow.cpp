#include "app/CheckWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/WindowLook.h"

namespace kestralux {

namespace {
constexpr const char* kGeometryKey = "CheckWindow/geometry";
constexpr int kTickMs = 20;
}  // namespace

CheckWindow::CheckWindow(MidiPorts& ports, ComboLink& link, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), ports_(ports), link_(link) {
  setObjectName(QStringLiteral("CheckWindow"));
  setWindowTitle(QStringLiteral("KESTRALUX CONNECTION CHECK"));
  if (mainWindow) setWindowIcon(mainWindow->windowIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
  applyToolWindowLook(*this);

  report = new QPlainTextEdit;
  report->setObjectName(QStringLiteral("checkReport"));
  report->setAccessibleName(QStringLiteral("CONNECTION CHECK REPORT"));
  report->setReadOnly(true);
  report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  again = new QPushButton(QStringLiteral("CHECK AGAIN"));
  again->setObjectName(QStringLiteral("checkAgain"));
  copy = new QPushButton(QStringLiteral("COPY"));
  copy->setObjectName(QStringLiteral("checkCopy"));
  connect(again, &QPushButton::clicked, this, &CheckWindow::check);
  connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(report->toPlainText()); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(again);
  buttons->addWidget(copy);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(report, 1);
  layout->addLayout(buttons);

  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &CheckWindow::tick);
}

CheckWindow::~CheckWindow() = default;

void CheckWindow::showAndCheck() {
  kestralux::showBeside(*this, kGeometryKey, QSize(640, 420));
  if (!checking()) check();
}

bool CheckWindow::checking() const { return timer_->isActive(); }

void CheckWindow::check() {
  // Answers come on the MIDI threads and are handed to this window's thread; once the check
  // or the window is gone they find nothing.
  QObject* context = this;
  check_ = std::make_unique<ConnectionCheck>(ports_, link_.portsMaker, [context](std::function<void()> work) {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
  });
  report->setPlainText(QStringLiteral("CHECKING..."));
  again->setEnabled(false);
  check_->start(link_.ports());
  // The editor's own input hears the answer too: it is the check's, not a bank another
  // program asked for, and goes by untold.
  if (check_->findings().requestSent && !link_.protocol.fetch.waiting())
    link_.protocol.fetch.expectSpareAnswers(1, link_.clock());
  timer_->start();
  tick();
}

void CheckWindow::tick() {
  if (check_ && check_->tick()) return;
  timer_->stop();
  again->setEnabled(true);
  if (check_) report->setPlainText(QString::fromStdString(checkReport(check_->findings()).text));
}

}  // namespace kestralux
