#pragma once
// Driving the chooser panel's lists, and reading its colours.
#include <QColor>
#include <QString>
#include <QStringList>

struct BancPlein;
class PanneauSkin;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

namespace outilsPanneau {
// The line reading `texte` exactly, or nullptr.
QListWidgetItem* ligne(QListWidget* l, const QString& texte);
void cliquerLigne(QListWidget* l, const QString& texte);
// The comment editor opened on the picture `nom` of the folder shown: its text box.
QPlainTextEdit* editerCommentaire(BancPlein& b, const QString& nom);
// Contrast ratio of two colours as the web's accessibility guidelines reckon it (1 to 21).
double contraste(const QColor& a, const QColor& b);
// The colour most of a panel's caption row is painted in.
QColor fondDuTitre(PanneauSkin* panneau);
// Dir1 indents each folder by its depth: the line of folder `nom`, or nullptr.
QListWidgetItem* dossier(QListWidget* l, const QString& nom);
// Opens the folder `texte` of Dir1 with Enter and waits for its listing.
void entrerDossier(QListWidget* l, const QString& texte);
QStringList textes(const QListWidget* l);
} // namespace outilsPanneau
