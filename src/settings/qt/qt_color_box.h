// A colour chooser for the protocol log's colours: the 16 standard colours, 4 extended ones and
// the system colours, each with its swatch. A stored colour none of them is gets an entry of its
// own, so that it is shown and kept rather than lost.
#pragma once

#include <QComboBox>
#include <cstdint>

namespace quillon {

class TQtColorBox : public QComboBox {
  Q_OBJECT

 public:
  // What a chooser with no selection gives.
  static constexpr int32_t kNoColor = static_cast<int32_t>(0xFF000000u);
  // Entries always offered: 16 standard, 4 extended, then the system colours.
  static int OfferedCount();

  explicit TQtColorBox(QWidget* parent = nullptr);

  void SetColorValue(int32_t value);
  int32_t ColorValue() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void AddEntry(const QString& name, int32_t value);
  void RefreshSwatches();
  QIcon Swatch(int32_t value) const;
};

}  // namespace quillon
