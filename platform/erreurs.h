#pragma once
// The one place where a failure reported by the system (an errno value) is put in
// words for the user, in French: the C library and Qt only speak English.
#include <QString>

enum class ObjetErreur {
    Quelconque, // a file or a folder
    Dossier,    // a folder being listed or opened
};

// A short French sentence for `code` (ENOENT, EACCES, ENOSPC…). A code without a
// wording of its own still gives a French text that carries its number.
QString texteErreurSysteme(int code, ObjetErreur objet = ObjetErreur::Quelconque);
