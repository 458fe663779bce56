#pragma once
// Likeness of two renderings of one picture, tolerant of antialiasing, font
// stand-ins and small shifts: both are flattened on white, brought to a common
// small size and compared by how much of their ink they share.
#include <QImage>

namespace wmftest {

constexpr int CoteComparaison = 96;

// 1.0 for the same picture, towards 0.0 as the ink of one misses the other.
double similarite(const QImage& a, const QImage& b);

// Both pictures side by side, for looking at the worst ones.
QImage coteACote(const QImage& a, const QImage& b);

} // namespace wmftest
