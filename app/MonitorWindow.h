#pragma once
// MIDI > MONITOR: every message the editor sends or receives, one line each in the window's
// words, in a tool window above the main window. It watches only while it is shown.

#include <QAbstractListModel>
#include <QWidget>

#include "actions/MonitorActions.h"

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QTimer;

namespace kestralux {

// The shown lines of the monitor's list, as rows; told only of the rows that came and went.
class MonitorModel : public QAbstractListModel {
 public:
  explicit MonitorModel(MonitorActions& actions, QObject* parent = nullptr) : QAbstractListModel(parent), actions_(actions) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  void apply(const MonitorActions::Poll& poll, std::size_t rowsBefore);
  void redraw();
  bool withBytes = false;

 private:
  MonitorActions& actions_;
};

class MonitorWindow : public QWidget {
  Q_OBJECT

 public:
  MonitorWindow(MonitorActions& actions, QWidget* mainWindow);
  ~MonitorWindow() override;

  void showBeside();
  // Takes what came since the last poll; the window's timer runs it every 50 ms.
  void poll();
  void copySelection();
  // To `path` as a .syx of the shown messages, or as their lines; false when it failed.
  bool saveTo(const QString& path, bool asSyx);

  QCheckBox* in = nullptr;
  QCheckBox* out = nullptr;
  QCheckBox* liveEdits = nullptr;
  QCheckBox* transfers = nullptr;
  QCheckBox* damagedOnly = nullptr;
  QCheckBox* rawBytes = nullptr;
  QPushButton* pause = nullptr;
  QPushButton* clear = nullptr;
  QPushButton* copy = nullptr;
  QPushButton* saveSyx = nullptr;
  QPushButton* saveText = nullptr;
  QListView* lines = nullptr;
  QLabel* status = nullptr;
  MonitorModel* model = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void filterChanged();
  void saveAs(bool asSyx);
  void showStatus();

  MonitorActions& actions_;
  QTimer* pollTimer_ = nullptr;
  QString saveFolder_;
};

}  // namespace kestralux
