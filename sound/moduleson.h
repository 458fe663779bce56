#pragma once
// Loading the sound module (libormelle-son.so) on the first need of a sound: a picture
// shown never maps Qt Multimedia, FluidSynth, libsndfile nor what they pull in. It is
// looked for beside the program as installed (/usr/bin/../lib/<multiarch>/ormelle/), which
// the build tree mirrors (bin/ beside lib/<multiarch>/ormelle/), then by its bare name (a
// program that links it already). Once loaded it stays for the life of the process.
#include "sound/interfaceson.h"

#include <QObject>
#include <QString>
#include <functional>

namespace moduleson {

// The module's entry points, loading it on the first call from any thread (a second
// caller waits for the first). Null when it cannot be loaded: `erreur` then tells why,
// in French, and so does the log, once.
const PointsSon* points(QString* erreur = nullptr);
// The module has been loaded (a picture alone never loads it).
bool charge();
// Loads it on a pool thread, then runs `pret` on the interface thread unless `contexte`
// has gone in between; at once when it is loaded already. `pret` runs even when the
// load failed: points() then says why.
void precharger(QObject* contexte, std::function<void()> pret);

} // namespace moduleson
