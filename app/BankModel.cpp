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

namespace {

QByteArray recordsImage(std::span<const PresetRecord> records) {
  QByteArray image;
  for (const PresetRecord& record : records) {
    const Bytes bytes = presetFileImage(record);
    image.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  }
  return image;
}

// The slots a drag says it came from fit its records: one each, in increasing order.
bool fits(const std::vector<int>& from, std::size_t records) {
  if (from.size() != records || from.empty()) return false;
  for (std::size_t n = 0; n < from.size(); ++n)
    if (from[n] < 0 || from[n] >= kPresetCount || (n > 0 && from[n] <= from[n - 1])) return false;
  return true;
}

}  // namespace

QMimeData* recordsMimeData(std::span<const PresetRecord> records) {
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kRecordsMimeType), recordsImage(records));
  return data;
}

RecordsDrag* soundDrag(const PresetRecord& sound, const std::string& shownName) {
  auto* data = new RecordsDrag;
  data->setData(QString::fromLatin1(kRecordsMimeType), recordsImage(std::span<const PresetRecord>(&sound, 1)));
  data->soundName = shownName;
  return data;
}

Qt::DropAction dropActionOf(Arrangement how) {
  switch (how) {
    case Arrangement::Move: return Qt::MoveAction;
    case Arrangement::Copy: return Qt::CopyAction;
    case Arrangement::Swap: return Qt::LinkAction;
  }
  return Qt::IgnoreAction;
}

std::optional<Arrangement> arrangementOf(Qt::DropAction action) {
  switch (action) {
    case Qt::MoveAction: return Arrangement::Move;
    case Qt::CopyAction: return Arrangement::Copy;
    case Qt::LinkAction: return Arrangement::Swap;
    default: return std::nullopt;
  }
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
  for (int n = 0; n < kPresetCount; ++n) looks_[static_cast<std::size_t>(n)] = lookOf(n);
  listener_ = actions_.listen([this](const ActionNotice&) { signalChangedCells(); });
}

BankModel::RowLook BankModel::lookOf(int n) const {
  const PresetRecord& record = actions_.bank()[static_cast<std::size_t>(n)];
  return {actions_.edited(n) ? QStringLiteral("*") : QString(), presetNameText(record), ampModelText(record),
          effectText(record), n == actions_.currentPreset()};
}

void BankModel::signalChangedCells() {
  for (int n = 0; n < kPresetCount; ++n) {
    RowLook now = lookOf(n);
    RowLook& was = looks_[static_cast<std::size_t>(n)];
    // The slot on screen is drawn in other colours in every cell.
    const bool whole = now.shown != was.shown;
    const bool cells[ColumnCount] = {whole, whole || now.mark != was.mark, whole || now.name != was.name,
                                     whole || now.amp != was.amp, whole || now.effect != was.effect};
    was = std::move(now);
    const auto first = std::find(std::begin(cells), std::end(cells), true);
    if (first == std::end(cells)) continue;
    const auto last = std::find(std::rbegin(cells), std::rend(cells), true);
    emit dataChanged(index(n, static_cast<int>(first - std::begin(cells))),
                     index(n, static_cast<int>(std::rend(cells) - last - 1)));
  }
}

BankModel::~BankModel() { actions_.stopListening(listener_); }

int BankModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPresetCount; }
int BankModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BankModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int n = index.row();
  const PresetRecord& record = actions_.bank()[static_cast<std::size_t>(n)];
  // The slot on screen stands out as the selected amp model does: white on red.
  const bool shown = n == actions_.currentPreset();
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case NumberColumn: return QString::number(n + 1);
        case MarkColumn: return actions_.edited(n) ? QStringLiteral("*") : QString();
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
  if (name == presetNameText(actions_.bank()[static_cast<std::size_t>(index.row())]).toLatin1()) return false;
  if (!actions_.renameSlot(index.row(), std::string_view(name.constData(), static_cast<std::size_t>(name.size())))) return false;
  emit said(QStringLiteral("SLOT %1 RENAMED").arg(index.row() + 1));
  return true;
}

QStringList BankModel::mimeTypes() const { return {QString::fromLatin1(kRecordsMimeType)}; }

namespace {

std::vector<int> rowsOf(const QModelIndexList& indexes) {
  std::vector<int> rows;
  for (const QModelIndex& index : indexes)
    if (index.isValid()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

}  // namespace

QMimeData* BankModel::mimeData(const QModelIndexList& indexes) const {
  auto* data = new RecordsDrag;
  data->source = this;
  data->sourceSlots = rowsOf(indexes);
  std::vector<PresetRecord> records;
  for (int n : data->sourceSlots) records.push_back(actions_.bank()[static_cast<std::size_t>(n)]);
  data->setData(QString::fromLatin1(kRecordsMimeType), recordsImage(records));
  return data;
}

QMimeData* BankModel::clipboardData(const QModelIndexList& indexes) const {
  std::vector<PresetRecord> records;
  for (int n : rowsOf(indexes)) records.push_back(actions_.bank()[static_cast<std::size_t>(n)]);
  return recordsMimeData(records);
}

bool BankModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent) {
  const int first = row >= 0 ? row : parent.isValid() ? parent.row() : actions_.currentPreset();
  if (first >= kPresetCount) return false;
  const PresetBank before = actions_.bank();
  dropRecords(data, action, first);
  if (actions_.bank() == before) return false;
  emit landed();
  return true;
}

void BankModel::dropRecords(const QMimeData* data, Qt::DropAction action, int first) {
  const std::vector<PresetRecord> records = recordsOf(data);
  const auto* drag = qobject_cast<const RecordsDrag*>(data);
  const auto say = [this](const std::string& text) { emit said(QString::fromStdString(text)); };
  if (drag && drag->source == this) {
    const std::optional<Arrangement> how = arrangementOf(action);
    if (!how || records.empty() || !fits(drag->sourceSlots, records.size())) return;
    if (actions_.transferRunning()) return say(kTransferInProgress);
    // A fetch, a load or an undo may have rewritten the slots while the button was held: the
    // presets the user picked up are no longer there to arrange.
    for (std::size_t n = 0; n < records.size(); ++n)
      if (actions_.bank()[static_cast<std::size_t>(drag->sourceSlots[n])] != records[n])
        return say("THE BANK CHANGED DURING THE DRAG");
    return say(actions_.arrangeSlots(drag->sourceSlots, first, *how));
  }
  // Records from anywhere else are only ever copied in.
  if (action != Qt::CopyAction) return;
  if (drag && drag->soundName && records.size() == 1) return say(actions_.putSound(first, records.front(), *drag->soundName));
  return say(actions_.paste(first, records));
}

}  // namespace kestralux
