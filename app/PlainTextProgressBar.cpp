#include "app/PlainTextProgressBar.h"

namespace fk {

void PlainTextProgressBar::setPlainText(const QString& text) {
    text_ = text;
    update();
}

}  // namespace fk
