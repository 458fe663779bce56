#pragma once
// The backdrop window's colour and the three slider positions it was mixed from,
// for the run only. Each position p stands for the intensity 255 - p.
#include <QColor>
#include <array>

struct ToileFond {
    QColor couleur = Qt::black;
    std::array<int, 3> positions{255, 255, 255}; // red, green, blue
};
