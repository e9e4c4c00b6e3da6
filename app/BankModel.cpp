#include "app/BankModel.h"

#include <QBrush>
#include <QColor>
#include <QMimeData>

#include <algorithm>

#include "app/Latin1.h"
#include "app/MainWindowLayout.h"
#include "app/WindowLook.h"
#include "files/PresetFiles.h"

namespace kestralux {

QMimeData* recordsMimeData(std::span<const PresetRecord> records) {
  QByteArray image;
  for (const PresetRecord& record : records) {
    const Bytes bytes = presetFileImage(record);
    image.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  }
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kRecordsMimeType), image);
  return data;
}

std::vector<PresetRecord> recordsOf(const QMimeData* data) {
  if (!data || !data->hasFormat(QString::fromLatin1(kRecordsMimeType))) return {};
  const QByteArray image = data->data(QString::fromLatin1(kRecordsMimeType));
  const auto size = static_cast<std::size_t>(image.size());
  if (size == 0 || size % kPresetFileSize != 0 || size > kBankFileSize) return {};
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(image.constData()), size);
  // Another program's bytes under our type, or a damaged copy: nothing goes into the bank.
  if (firstNonPreset(bytes)) return {};
  std::vector<PresetRecord> records(size / kPresetFileSize);
  for (std::size_t n = 0; n < records.size(); ++n)
    if (loadPresetImage(bytes.subspan(n * kPresetFileSize, kPresetFileSize), records[n]) != 1) return {};
  return records;
}

BankModel::BankModel(EditorActions& actions, QObject* parent) : QAbstractTableModel(parent), actions_(actions) {
  // Whatever changed, the rows say it: texts, marks and the slot on screen.
  listener_ = actions_.listen([this](const ActionNotice&) {
    emit dataChanged(index(0, 0), index(kPresetCount - 1, ColumnCount - 1));
  });
}

BankModel::~BankModel() { actions_.stopListening(listener_); }

int BankModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPresetCount; }
int BankModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BankModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int n = index.row();
  const PresetRecord& record = actions_.state().bank[static_cast<std::size_t>(n)];
  // The slot on screen stands out as the selected amp model does: white on red.
  const bool shown = n == actions_.state().CurrentPreset;
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case NumberColumn: return QString::number(n + 1);
        case MarkColumn: return actions_.session().edited(n) ? QStringLiteral("*") : QString();
        case NameColumn: return presetNameText(record);
        case AmpColumn: return ampModelText(record);
        case EffectColumn: return effectText(record);
      }
      return {};
    case Qt::EditRole:
      return index.column() == NameColumn && record.validName() ? presetNameText(record) : QVariant();
    case Qt::TextAlignmentRole:
      return index.column() == NumberColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::BackgroundRole: return shown ? QBrush(colourOf(layout::kRed)) : QVariant();
    case Qt::ForegroundRole: return shown ? QBrush(colourOf(layout::kWhite)) : QVariant();
    default: return {};
  }
}

QVariant BankModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"NO.", "", "NAME", "AMP MODEL", "EFFECT"};
  return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeadings[section]) : QVariant();
}

Qt::ItemFlags BankModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  if (index.column() == NameColumn) flags |= Qt::ItemIsEditable;
  return flags;
}

bool BankModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != NameColumn) return false;
  const QByteArray name = latin1Upper(value.toString()).toLatin1();
  if (name == presetNameText(actions_.state().bank[static_cast<std::size_t>(index.row())]).toLatin1()) return false;
  if (!actions_.renameSlot(index.row(), std::string_view(name.constData(), static_cast<std::size_t>(name.size())))) return false;
  emit said(QStringLiteral("SLOT %1 RENAMED").arg(index.row() + 1));
  return true;
}

QStringList BankModel::mimeTypes() const { return {QString::fromLatin1(kRecordsMimeType)}; }

QMimeData* BankModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<int> rows;
  for (const QModelIndex& index : indexes) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<PresetRecord> records;
  for (int n : rows) records.push_back(actions_.state().bank[static_cast<std::size_t>(n)]);
  return recordsMimeData(records);
}

bool BankModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent) {
  if (action != Qt::CopyAction) return false;
  const int first = row >= 0 ? row : parent.isValid() ? parent.row() : actions_.state().CurrentPreset;
  const PresetBank before = actions_.state().bank;
  emit said(QString::fromStdString(actions_.paste(first, recordsOf(data))));
  return actions_.state().bank != before;
}

}  // namespace kestralux
