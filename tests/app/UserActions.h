#pragma once
// What a user does with the program's menus, message boxes and file dialogs, for tests: real
// clicks and keys, made once the box or dialog is up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

namespace kestralux::test {

// Notes the box's caption and text where asked. Delete the returned watcher when no box is
// expected after all.
inline QPointer<QTimer> answerBox(QMessageBox::StandardButton button, QString* caption = nullptr,
                                  QString* text = nullptr) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    if (caption) *caption = box->windowTitle();
    if (text) *text = box->text();
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  });
  poll->start(5);
  return poll;
}

// Where a part of a scroll bar (an arrow, the groove, the thumb) lies, as its style draws it.
inline QRect scrollBarPart(const QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.subControls = QStyle::SC_All;
  opt.orientation = bar->orientation();
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  opt.upsideDown = bar->invertedAppearance();
  if (bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

// A menu of the window's menu bar opened with the mouse, then one of its commands clicked.
inline void chooseMenuCommand(QMainWindow& window, QMenu* menu, QAction* command) {
  QMenuBar* bar = window.menuBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000)) << "the menu did not open";
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(command).center());
}

// What a file dialog offered when it came up.
struct FileDialogSeen {
  bool shown = false;
  QString title;
  QStringList filters;
  QString selectedFilter;
  QString defaultSuffix;
  QString fileName;   // the name it proposed
  QString directory;
  QList<QUrl> sidebar;
};

// Puts `name` in the next file dialog's name box and presses Enter; an empty name cancels it.
inline QPointer<QTimer> answerFileDialog(const QString& name, FileDialogSeen* seen = nullptr) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (seen) {
      *seen = {true, dialog->windowTitle(), dialog->nameFilters(), dialog->selectedNameFilter(),
               dialog->defaultSuffix(), edit ? edit->text() : QString(), dialog->directory().absolutePath(),
               dialog->sidebarUrls()};
    }
    if (name.isEmpty() || !edit) {
      QTest::keyClick(dialog, Qt::Key_Escape);
      return;
    }
    // Set rather than typed: typing a path opens the dialog's completer, which takes the Enter.
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
  });
  poll->start(5);
  return poll;
}

}  // namespace kestralux::test
