#pragma once
// The 30 slots as a Qt table model over the editor's actions: number, edited mark, name, amp
// model and effect, the slot on screen standing out. Records leave and enter it in one MIME
// type of our own, whether by the clipboard, a drag within the list or a drag from the
// library, and every one of them lands through dropMimeData(); the name is edited in place
// under the name box's rules.

#include <QAbstractTableModel>
#include <QMimeData>
#include <QPointer>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "actions/EditorActions.h"

namespace kestralux {

class BankModel;

// Our records as a bank file holds them, one after the other; no text form, so pasted into a
// text box, slots are nothing.
inline constexpr const char* kRecordsMimeType = "application/x-kestralux-records";
QMimeData* recordsMimeData(std::span<const PresetRecord> records);
// The records of data that holds ours, whole presets only; nothing for anything else.
std::vector<PresetRecord> recordsOf(const QMimeData* data);

// Our records as they are dragged inside this editor. Besides the bytes any program could
// read, they know where they came from, which only a drop in this editor reads: the slots of
// a bank model (a drag within the list arranges them), or a library sound and the name the
// library shows for it. The clipboard never holds this, so a paste is always a paste.
class RecordsDrag : public QMimeData {
  Q_OBJECT

 public:
  QPointer<const BankModel> source;
  std::vector<int> sourceSlots;  // the source's slots, in increasing order, one per record
  std::optional<std::string> soundName;
};

// A library sound on its way to a slot.
RecordsDrag* soundDrag(const PresetRecord& sound, const std::string& shownName);

// How a drag's arrangement rides on a drop: Qt's move is a move, its copy is a copy over
// (and, for records from anywhere else, a paste), and its link is a swap, the two ranges
// taking each other's place. The same modifiers choose them: none, Ctrl, Shift.
Qt::DropAction dropActionOf(Arrangement how);
std::optional<Arrangement> arrangementOf(Qt::DropAction action);

class BankModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { NumberColumn, MarkColumn, NameColumn, AmpColumn, EffectColumn, ColumnCount };

  explicit BankModel(EditorActions& actions, QObject* parent = nullptr);
  ~BankModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A name typed into the list: one undo step.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  QStringList mimeTypes() const override;
  // The records of the rows of `indexes`, in slot order, as a drag of this model's slots.
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  // The same records for the clipboard: nothing of where they came from, so a paste writes
  // them wherever it is made, whatever the bank has become since.
  QMimeData* clipboardData(const QModelIndexList& indexes) const;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction; }
  // Every way records land, from `row` on (the slot on screen when it is -1 and no parent):
  // - this model's own slots are arranged as the action says (see dropActionOf), unless the
  //   bank no longer holds at those slots what was dragged;
  // - a library sound is put into the slot under its name;
  // - any other records of ours are pasted, as a copy only.
  // Anything else, or damaged bytes, changes nothing. True when slots were written.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;

 signals:
  // What a drop or a rename did, for the window's status line.
  void said(const QString& text);
  // A drop wrote slots: EditorActions::lastArranged() says which.
  void landed();

 private:
  // Does what the drop asks and says what became of it.
  void dropRecords(const QMimeData* data, Qt::DropAction action, int first);

  // What a row's cells read, kept so that a notice repaints only the cells that now read
  // otherwise: a notice says that something changed, not which slot.
  struct RowLook {
    QString mark, name, amp, effect;
    bool shown = false;
  };
  RowLook lookOf(int n) const;
  void signalChangedCells();

  EditorActions& actions_;
  std::array<RowLook, kPresetCount> looks_;
  int listener_ = 0;
};

}  // namespace kestralux
