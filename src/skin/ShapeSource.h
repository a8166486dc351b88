#pragma once
// A control of an inner dialog that knows better than a grab what it shows (a browser, whose
// pixels the engine gives only once it has drawn them).
#include <QImage>

class IShapeSource {
 public:
  virtual ~IShapeSource() = default;
  // The control's face as shown now, of its size, into `face`; false when its pixels cannot be
  // had reliably yet: then its whole area counts as shown.
  virtual bool ShownFace(QImage* face) = 0;
};
