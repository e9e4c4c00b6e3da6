#pragma once
// The preset name box shows capitals only and takes only characters that the preset file
// can hold in one byte (Latin-1); anything else never reaches the record.

#include <QValidator>

namespace kestralux {

class PresetNameValidator : public QValidator {
  Q_OBJECT

 public:
  explicit PresetNameValidator(int maximumLength, QObject* parent = nullptr)
      : QValidator(parent), maximumLength_(maximumLength) {}

  State validate(QString& input, int& position) const override;

 private:
  int maximumLength_;
};

}  // namespace kestralux
