#pragma once
// Ormelle's private modules (sound; HEIF, AVIF and JPEG XL), loaded on first need so that
// a launch maps only what a picture needs.
#include <QString>
#include <QtGlobal>

namespace modulesprives {

// The entry point `symbole` of the module file `nom` ("libormelle-son.so"), looked for
// beside the program (bin/../lib/<multiarch>/ormelle/, where the package installs it),
// then by bare name. Null when no copy loads or has it, the first reason in `raison`.
// A module once loaded stays: what it made may outlive any caller.
QFunctionPointer entree(const QString& nom, const char* symbole, QString* raison);

} // namespace modulesprives
