// The setup window's two boxes, with the captions and texts the combo's users know.

#include <QMessageBox>

#include "app/TMIDI_IO.h"

namespace kestralux {

namespace {
const QString kCardChangeCaption = QStringLiteral("MIDI CARD CHANGE.");
}  // namespace

MidiSetupBoxes MidiSetupBoxes::standard() {
  MidiSetupBoxes boxes;
  boxes.cardError = [](QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, kCardChangeCaption,
                    QStringLiteral("Midi card already used or Not present!"), QMessageBox::Ok, owner);
    box.exec();
  };
  boxes.confirmCardChange = [](QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, kCardChangeCaption, QStringLiteral("Midi card will now be intialized!"),
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    return box.exec() == QMessageBox::Ok;
  };
  return boxes;
}

}  // namespace kestralux
