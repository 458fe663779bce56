#pragma once
// What the windowing system lets Ormelle do by itself. An X11 client places its
// top-level windows and the mouse pointer where it likes; a Wayland compositor keeps
// both to itself: it places new windows, moves one only while the user drags it
// (a system move), and never lets a client warp the pointer.
namespace fenetrage {
// True where Ormelle may move its own top-level windows and the pointer.
bool placementLibre();
} // namespace fenetrage
