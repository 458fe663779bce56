#pragma once
// The order in which the program's windows were opened. Qt's list of top-level
// widgets comes out of a hash, in no order at all, and closing "last opened first"
// needs one.
#include <QList>

class QWidget;

namespace ordrefenetres {
// Starts following the windows shown from now on; once per run is enough, more is harmless.
void suivre();
// Every top-level widget still alive, the oldest first: those shown in the order they
// were first shown, after those never shown.
QList<QWidget*> fenetres();
} // namespace ordrefenetres
