#include "app/ControllerDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/FootControllerPort.h"
#include "app/WindowLook.h"

namespace kestralux {

namespace {

QString text(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QPushButton* button(const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption));
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

ControllerDialog::ControllerDialog(StageActions& stage, FootControllerPort& port, std::function<std::string()> comboInput,
                                   QWidget* parent)
    : QDialog(parent), stage_(stage), port_(port), comboInput_(std::move(comboInput)) {
  setObjectName(QStringLiteral("ControllerDialog"));
  setWindowTitle(QStringLiteral("FOOT CONTROLLER"));
  applyToolWindowLook(*this);

  ports = new QListWidget;
  ports->setObjectName(QStringLiteral("controllerPorts"));
  ports->setAccessibleName(QStringLiteral("FOOT CONTROLLER PORT"));
  next = new QLabel;
  next->setObjectName(QStringLiteral("controllerNext"));
  previous = new QLabel;
  previous->setObjectName(QStringLiteral("controllerPrevious"));
  learnNext = button("learnNext", "LEARN NEXT");
  learnPrevious = button("learnPrevious", "LEARN PREVIOUS");
  programs = new QCheckBox(QStringLiteral("PROGRAM CHANGE n PLAYS SONG n + 1"));
  programs->setObjectName(QStringLiteral("controllerPrograms"));
  heard = new QLabel;
  heard->setObjectName(QStringLiteral("controllerHeard"));
  heard->setAccessibleName(QStringLiteral("LAST MESSAGE"));
  heard->setMinimumWidth(320);
  defaults = button("controllerDefaults", "CC 80 / CC 81");
  defaults->setAccessibleName(QStringLiteral("BACK TO CC 80 AND CC 81"));
  close = button("controllerClose", "CLOSE");

  auto* grid = new QGridLayout(this);
  grid->addWidget(ports, 0, 0, 1, 2);
  grid->addWidget(next, 1, 0);
  grid->addWidget(learnNext, 1, 1);
  grid->addWidget(previous, 2, 0);
  grid->addWidget(learnPrevious, 2, 1);
  grid->addWidget(programs, 3, 0, 1, 2);
  grid->addWidget(heard, 4, 0, 1, 2);
  grid->addWidget(defaults, 5, 0);
  grid->addWidget(close, 5, 1);

  connect(ports, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    choose(row == 0 ? std::string() : ports->item(row)->text().toStdString());
  });
  connect(learnNext, &QPushButton::clicked, this, [this] { stage_.beginLearn(LearnTarget::Next); });
  connect(learnPrevious, &QPushButton::clicked, this, [this] { stage_.beginLearn(LearnTarget::Previous); });
  connect(programs, &QCheckBox::toggled, this, [this](bool on) {
    FootControllerSettings settings = stage_.controller();
    settings.mapping.programChangePlaysSong = on;
    change(settings);
  });
  connect(defaults, &QPushButton::clicked, this, [this] {
    FootControllerSettings settings = stage_.controller();
    settings.mapping = FootMapping{};
    change(settings);
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void ControllerDialog::showOver(QWidget* owner) {
  // A child of the window that asked, so it stays above it, full screen or not.
  if (owner && parentWidget() != owner) setParent(owner, Qt::Dialog);
  setWindowModality(Qt::ApplicationModal);
  const QSignalBlocker quiet(ports);
  ports->clear();
  ports->addItem(QString::fromLatin1(kNoController));
  for (const std::string& name : port_.choices(comboInput_ ? comboInput_() : std::string())) ports->addItem(text(name));
  // A remembered port that is not there now stays chosen, and is listed so.
  const std::string chosen = stage_.controller().port;
  int row = 0;
  for (int n = 1; n < ports->count(); ++n)
    if (ports->item(n)->text().toStdString() == chosen) row = n;
  if (!chosen.empty() && row == 0) {
    ports->addItem(text(chosen));
    row = ports->count() - 1;
  }
  ports->setCurrentRow(row);
  refresh();
  show();
  raise();
  activateWindow();
  ports->setFocus();
}

void ControllerDialog::refresh() {
  const FootControllerSettings& settings = stage_.controller();
  const bool learning = stage_.learning();
  next->setText(QStringLiteral("NEXT: ") + text(describeFootTrigger(settings.mapping.next)));
  previous->setText(QStringLiteral("PREVIOUS: ") + text(describeFootTrigger(settings.mapping.previous)));
  learnNext->setEnabled(!learning && !settings.port.empty());
  learnPrevious->setEnabled(!learning && !settings.port.empty());
  {
    const QSignalBlocker quiet(programs);
    programs->setChecked(settings.mapping.programChangePlaysSong);
  }
  QString said = text(stage_.lastHeard());
  if (!settings.port.empty() && !port_.listening()) said = QStringLiteral("THE PORT IS NOT THERE NOW");
  heard->setText(said);
}

void ControllerDialog::choose(const std::string& name) {
  FootControllerSettings settings = stage_.controller();
  if (settings.port == name) return;
  stage_.cancelLearn();
  settings.port = name;
  port_.listenTo(name);
  change(settings);
}

void ControllerDialog::change(FootControllerSettings settings) {
  stage_.setController(settings);
  if (remember) remember(settings);
  refresh();
}

void ControllerDialog::hideEvent(QHideEvent* event) {
  stage_.cancelLearn();
  QDialog::hideEvent(event);
}

}  // namespace kestralux
