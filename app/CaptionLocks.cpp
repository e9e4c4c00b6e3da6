#include "app/CaptionLocks.h"

#include <QMouseEvent>
#include <QPainter>

#include "actions/MainWindowZoom.h"
#include "app/ClickablePanel.h"
#include "app/ExploreWindow.h"
#include "app/Latin1.h"
#include "app/MainWindowUi.h"
#include "app/WindowLook.h"
#include "editor/EditorTables.h"

namespace kestralux {

namespace {

// The main window's caption of each control a right-click locks.
struct CaptionLabel {
  const char* label;
  int parameter;
};
constexpr CaptionLabel kCaptionLabels[] = {
    {"LABLGAIN", AMP_GAIN},     {"LABLBASS", AMP_BASS},       {"LABLMID", AMP_MID},     {"LABLTREB", AMP_TREBLE},
    {"LABLDLVL", DELAY_LEVEL},  {"LABLDREG", DELAY_REGEN},    {"LABLDPAN", DELAY_PAN},  {"LABLDTIME", DELAY_TIME},
    {"LABLREV", REV_LEVEL},     {"LABLGATE", GATE_THRES},     {"LABLPVOL", AMP_MASTER}, {"LABL15", EFF_ADJUST1},
    {"LABL16", EFF_ADJUST2},    {"LABLRATE", EFF_RATE},       {"Label1", EFFECT_SELECT},
};

constexpr int kMarkGap = 4;

// A small padlock drawn by hand, so it looks the same whatever fonts the desktop has.
class LockMark : public QWidget {
 public:
  explicit LockMark(QWidget* parent) : QWidget(parent) {
    setFixedSize(10, 13);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 10 x 13 grid, at whatever size the main window's zoom gives it.
    p.scale(width() / 10.0, height() / 13.0);
    p.setPen(QPen(QColor(255, 215, 0), 1.6));
    p.drawArc(QRectF(2, 1, 6, 8), 0, 180 * 16);
    p.drawLine(QPointF(2, 5), QPointF(2, 6));
    p.drawLine(QPointF(8, 5), QPointF(8, 6));
    p.fillRect(QRectF(0.5, 6, 9, 6.5), QColor(255, 215, 0));
  }
};

}  // namespace

CaptionLocks::CaptionLocks(MainWindowUi& ui, ExploreWindow& explore) : QObject(&explore), explore_(explore) {
  for (const CaptionLabel& row : kCaptionLabels) {
    QWidget* caption = ui.clientArea->findChild<QWidget*>(QLatin1String(row.label));
    if (!caption) continue;
    caption->installEventFilter(this);
    owners_[caption] = row.parameter;
    auto* mark = new LockMark(caption->parentWidget());
    mark->setObjectName(QStringLiteral("lock") + caption->objectName());
    marks_[row.parameter] = {mark, caption};
  }
  for (const AmpModelRow& amp : kAmpModels) {
    if (ClickablePanel* panel = ui.ampPanelOfModel(amp.ampType)) {
      panel->installEventFilter(this);
      owners_[panel] = AMP_TYPE;
    }
  }
  // Left of the grid's first row.
  if (QWidget* first = ui.CLN1) {
    auto* mark = new LockMark(first->parentWidget());
    marks_[AMP_TYPE] = {mark, first};
  }
  placeMarks();
  connect(&explore, &ExploreWindow::locksChanged, this, &CaptionLocks::refresh);
  refresh();
}

CaptionLocks::~CaptionLocks() {
  for (auto& [parameter, mark] : marks_) delete mark.mark.data();
}

// Left of the caption, clear of its first letter by a few pixels of the window's navy, wherever
// the main window's zoom has put the caption.
void CaptionLocks::placeMarks() {
  for (auto& [parameter, mark] : marks_) {
    if (!mark.mark || !mark.caption) continue;
    int percent = kActualSize;
    for (const QWidget* w = mark.caption; w; w = w->parentWidget())
      if (const QVariant zoom = w->property(kZoomProperty); zoom.isValid()) {
        percent = zoom.toInt();
        break;
      }
    mark.mark->setFixedSize(zoomed(10, percent), zoomed(13, percent));
    const QRect at = mark.caption->geometry();
    mark.mark->move(at.x() - mark.mark->width() - kMarkGap, at.y() + (at.height() - mark.mark->height()) / 2);
  }
}

void CaptionLocks::refresh() {
  for (auto& [parameter, mark] : marks_)
    if (mark.mark && mark.caption) mark.mark->setVisible(explore_.session.locks.locked(parameter) && mark.caption->isVisible());
}

bool CaptionLocks::eventFilter(QObject* watched, QEvent* event) {
  const auto owner = owners_.find(watched);
  if (owner == owners_.end()) return false;
  if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
    refresh();
    return false;
  }
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    placeMarks();
    return false;
  }
  if (event->type() != QEvent::MouseButtonPress || static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) return false;
  const int parameter = owner->second;
  explore_.setLocked(parameter, !explore_.session.locks.locked(parameter));
  return true;
}

}  // namespace kestralux
