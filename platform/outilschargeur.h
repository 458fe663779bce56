#pragma once
// What the picture loader's readers share: opening the file, the budget's
// arithmetic, the answer for a picture that cannot be shown.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QFile>
#include <QImageReader>

namespace chargeur {

qint64 aire(const QSize& t);
// Whether decoding `stockee` whole and fitting it to `couverture` goes past the budget.
bool horsBudgetEntier(const QSize& stockee, const QSize& couverture, const dimensions::Budget& b);
// Qt's allocation limit, set once for the whole process before any reader runs.
void fixerLimiteAllocation();
ResultatImage echec(const QString& texte, const QSize& naturelle = {});
// Opens `chemin` for reading when it is a regular, non-empty file; `erreur` says why not.
bool ouvrir(QFile& fichier, const QString& chemin, QString* erreur);
// Picks the size asked of Qt's reader; false when no size keeps the decode within the budget.
bool choisirEchelle(QImageReader& lecteur, const QSize& stockee, const QSize& couvertureStockee,
                    const dimensions::Budget& budget, qint64 octetsCoefficients);
// The whole file, refused above the size a file may be held in memory.
bool lireTout(QFile& fichier, QByteArray* donnees, QString* erreur);

} // namespace chargeur
