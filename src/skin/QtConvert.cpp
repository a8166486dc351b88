#include "skin/QtConvert.h"

namespace skin {

int VirtualKeyFromQt(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return platform::kKeyReturn;
    case Qt::Key_Escape:
      return platform::kKeyEscape;
    default:
      break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return platform::kKeyF1 + (qtKey - Qt::Key_F1);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
  return platform::kKeyOther;
}

}  // namespace skin
