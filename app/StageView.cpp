#include "app/StageView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/WindowLook.h"

namespace kestralux {

namespace {

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QFont boldFont(int pixelSize) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(std::max(1, pixelSize));
  font.setBold(true);
  return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* accessibleName, layout::Rgb text, layout::Rgb back) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setAccessibleName(QLatin1String(accessibleName));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colourOf(text));
  palette.setColor(QPalette::Window, colourOf(back));
  label->setPalette(palette);
  label->setAutoFillBackground(true);
  // Clicks are the view's: left half back, right half on.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

// One line of `text` no wider than `width`, shortened at its end.
QString fitLine(const QString& text, const QFont& font, int width) {
  return QFontMetrics(font).elidedText(text, Qt::ElideRight, std::max(0, width));
}

}  // namespace

StageView::StageView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StageView"));
  setAccessibleName(QStringLiteral("STAGE VIEW"));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, colourOf(layout::kBlack));
  setPalette(palette);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);

  // The main window's panel colours: black on red as its status line, aqua on black as its
  // name box, lime as its volume, white on teal as its transfer panel.
  connection = makeLabel(this, "stageConnection", "CONNECTION", layout::kBlack, layout::kRed);
  connection->setText(QString::fromLatin1(kComboNotConnected));
  connection->setAlignment(Qt::AlignCenter);
  hint = makeLabel(this, "stageHint", "KEYS", layout::kSilver, layout::kBlack);
  title = makeLabel(this, "stageTitle", "SONG", layout::kAqua, layout::kBlack);
  sound = makeLabel(this, "stageSound", "SOUND", layout::kWhite, layout::kBlack);
  note = makeLabel(this, "stageNote", "NOTE", layout::kLime, layout::kBlack);
  next = makeLabel(this, "stageNext", "NEXT SONG", layout::kWhite, layout::kBlack);
  position = makeLabel(this, "stagePosition", "SONG NUMBER", layout::kAqua, layout::kBlack);
  position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  passing = makeLabel(this, "stagePassing", "MESSAGE", layout::kWhite, layout::kTeal);
  passing->setAlignment(Qt::AlignCenter);
  passing->hide();

  passingTimer_ = new QTimer(this);
  passingTimer_->setSingleShot(true);
  passingTimer_->setInterval(kPassingMs);
  connect(passingTimer_, &QTimer::timeout, this, [this] {
    passingShown_.clear();
    arrange();
  });
  arrange();
}

QFont StageView::titleFont(int height) {
  // Two pixels over the eighth: a drawn capital's edge is softened, and must still measure it.
  const int capitals = (height + 7) / 8 + 2;
  // Liberation Sans' capitals are about 0.73 of its pixel size; the metrics have the last word.
  int pixels = static_cast<int>(std::ceil(capitals / 0.73));
  QFont font = boldFont(pixels);
  while (QFontMetrics(font).capHeight() < capitals) font.setPixelSize(++pixels);
  return font;
}

QStringList StageView::fitLines(const QString& text, const QFont& font, int width, int maxLines) {
  const QFontMetrics metrics(font);
  const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QStringList lines;
  QString line;
  int taken = 0;
  for (; taken < words.size(); ++taken) {
    const QString longer = line.isEmpty() ? words[taken] : line + QLatin1Char(' ') + words[taken];
    if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
      line = longer;
      continue;
    }
    if (lines.size() + 1 == maxLines) break;
    lines << fitLine(line, font, width);
    line = words[taken];
  }
  if (line.isEmpty()) return lines;
  // The last line takes what is left, shortened when it is more than a line.
  for (int rest = taken; rest < words.size(); ++rest) line += QLatin1Char(' ') + words[rest];
  lines << fitLine(line, font, width);
  return lines;
}

void StageView::draw(const StageScreen& screen) {
  screen_ = screen;
  // A moment's message is said once and stays up for its second, whatever is drawn meanwhile.
  if (!screen.passing.empty()) {
    passingShown_ = QString::fromUtf8(screen.passing.data(), static_cast<qsizetype>(screen.passing.size()));
    passingTimer_->start();
  }
  arrange();
}

void StageView::arrange() {
  const int w = width(), h = height();
  const int margin = std::max(8, w / 40);
  const int room = w - 2 * margin;
  int y = 0;

  // The band across the top: the missing combo, else the quiet line of keys.
  const int band = h / 10;
  connection->setFont(boldFont(h / 14));
  connection->setGeometry(0, 0, w, band);
  connection->setVisible(!screen_.connected);
  hint->setFont(boldFont(std::max(12, h / 36)));
  QString hintText = screen_.controller.empty() ? QStringLiteral("NO FOOT CONTROLLER")
                                                : QStringLiteral("FOOT CONTROLLER: ") + utf8(screen_.controller);
  hintText += QStringLiteral("     C: CONTROLLER     Esc: LEAVE");
  hint->setText(fitLine(hintText, hint->font(), room));
  hint->setGeometry(margin, 0, room, band);
  hint->setVisible(screen_.connected);
  y = band + margin / 2;

  const QFont titleLetters = titleFont(h);
  const QFontMetrics titleMetrics(titleLetters);
  const QStringList titleLines = fitLines(utf8(screen_.title), titleLetters, room, 2);
  title->setFont(titleLetters);
  title->setText(titleLines.join(QLatin1Char('\n')));
  const int titleHeight = static_cast<int>(std::max<qsizetype>(1, titleLines.size())) * titleMetrics.lineSpacing();
  title->setGeometry(margin, y, room, titleHeight);
  y += titleHeight;

  const QFont soundLetters = boldFont(h / 11);
  sound->setFont(soundLetters);
  sound->setText(fitLine(utf8(screen_.sound), soundLetters, room));
  const int soundHeight = QFontMetrics(soundLetters).lineSpacing();
  sound->setGeometry(margin, y, room, soundHeight);
  y += soundHeight;

  // The bottom row: the next song and where this one stands.
  const QFont bottomLetters = boldFont(h / 14);
  const QFontMetrics bottomMetrics(bottomLetters);
  const int bottomHeight = bottomMetrics.lineSpacing();
  const int bottomTop = h - margin / 2 - bottomHeight;
  position->setFont(bottomLetters);
  const QString positionText = utf8(screen_.position);
  const int positionWidth = bottomMetrics.horizontalAdvance(positionText);
  position->setText(positionText);
  position->setGeometry(w - margin - positionWidth, bottomTop, positionWidth, bottomHeight);
  const int nextRoom = std::max(0, room - positionWidth - margin);
  next->setFont(bottomLetters);
  QPalette nextColours = next->palette();
  nextColours.setColor(QPalette::WindowText, colourOf(screen_.endOfSet ? layout::kRed : layout::kWhite));
  next->setPalette(nextColours);
  const QString nextText = screen_.endOfSet ? QString::fromLatin1(kEndOfTheSet)
                           : screen_.next.empty() ? QString()
                                                  : QStringLiteral("NEXT: ") + utf8(screen_.next);
  next->setText(fitLine(nextText, bottomLetters, nextRoom));
  next->setGeometry(margin, bottomTop, nextRoom, bottomHeight);

  // Above it, a band for a moment's message or the number being typed.
  const QFont passingLetters = boldFont(h / 16);
  const int passingHeight = QFontMetrics(passingLetters).lineSpacing() + margin / 2;
  const int passingTop = bottomTop - margin / 2 - passingHeight;
  const QString passingText = !screen_.typed.empty() ? QStringLiteral("GO TO SONG ") + utf8(screen_.typed) + QStringLiteral(", Enter")
                                                     : passingShown_;
  passing->setFont(passingLetters);
  passing->setText(fitLine(passingText, passingLetters, room));
  passing->setGeometry(margin, passingTop, room, passingHeight);
  passing->setVisible(!passingText.isEmpty());

  // The note takes what is left between the sound and that band: two lines at most.
  const QFont noteLetters = boldFont(h / 14);
  const int noteLine = QFontMetrics(noteLetters).lineSpacing();
  const int noteLines = std::clamp((passingTop - y) / std::max(1, noteLine), 0, 2);
  const QStringList noteText = noteLines > 0 ? fitLines(utf8(screen_.note), noteLetters, room, noteLines) : QStringList();
  note->setFont(noteLetters);
  note->setText(noteText.join(QLatin1Char('\n')));
  note->setGeometry(margin, y, room, static_cast<int>(noteText.size()) * noteLine);
  note->setVisible(!noteText.isEmpty());
}

void StageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

void StageView::keyPressEvent(QKeyEvent* event) {
  emit keyPressed(event->key(), event->text());
  event->accept();
}

void StageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  emit clicked(event->position().x() >= width() / 2.0);
  event->accept();
}

}  // namespace kestralux
