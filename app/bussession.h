#pragma once
// The session bus, reached only where one runs. Without a bus address, the D-Bus
// library starts a bus of its own ("autolaunch": a dbus-launch forked under X11)
// for the first connection, which Qt's accessibility bridge makes at the first
// widget text set: a fork and a wait before the first picture, for a bus nobody
// else shares.
#include <QByteArray>

// A bus address is given, or the user session keeps its bus in the runtime folder.
bool busSessionPresent();

// While one of these lives with no bus present, connections to the session bus
// fail at once instead of starting one. Made before QApplication; liberer() (once
// the accessibility bridge has looked for the bus) gives children the environment
// as it was, so that a program Ormelle starts finds the bus as it would have.
class SansLancementBus {
public:
    SansLancementBus();
    ~SansLancementBus() { liberer(); }
    SansLancementBus(const SansLancementBus&) = delete;
    SansLancementBus& operator=(const SansLancementBus&) = delete;
    void liberer();

private:
    bool pose_ = false;
};
