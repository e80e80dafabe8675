#pragma once

#include <QString>

class QAbstractItemView;
class QLabel;

namespace app {

// A line inside an empty list saying what to do first, in place of a blank white box. The
// caller shows it while the list is empty and hides it otherwise.
QLabel* emptyListHint(QAbstractItemView* list, const QString& text);

} // namespace app
