#pragma once
// The 30 slots as a Qt table model over the editor's actions: number, edited mark, name, amp
// model and effect, the slot on screen standing out. Records leave and enter it in one MIME
// type of our own, whether by the clipboard, a drag within the list or a drag from the
// library; the name is edited in place under the name box's rules.

#include <QAbstractTableModel>

#include <span>
#include <vector>

#include "actions/EditorActions.h"

class QMimeData;

namespace kestralux {

// Our records as a bank file holds them, one after the other; no text form, so pasted into a
// text box, slots are nothing.
inline constexpr const char* kRecordsMimeType = "application/x-kestralux-records";
QMimeData* recordsMimeData(std::span<const PresetRecord> records);
// The records of data that holds ours, whole presets only; nothing for anything else.
std::vector<PresetRecord> recordsOf(const QMimeData* data);

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
  // The records of the rows of `indexes`, in slot order.
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
  // Our records written from `row` on (a paste, or a sound from the library); a drop of
  // anything else changes nothing.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;

 signals:
  // What a drop or a rename did, for the window's status line.
  void said(const QString& text);

 private:
  EditorActions& actions_;
  int listener_ = 0;
};

}  // namespace kestralux
