#pragma once
// Compressed streams inside picture files (SVGZ drawings, PNG profiles), inflated
// within a bound so that a small file cannot unfold into gigabytes.
#include <QByteArray>

// Inflates a zlib or gzip stream into `sortie`; false when it is damaged, cut
// short, or would grow past `max` bytes.
bool inflerBorne(const QByteArray& compresse, qint64 max, QByteArray* sortie);
