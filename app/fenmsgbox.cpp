#include "app/general.h"
#include "app/services.h"

int ServicesBureau::boiteMessage(General&, QWidget* parent, const QString& texte, const QString& titre)
{
    return QMessageBox::question(parent, titre, texte) == QMessageBox::Yes ? -1 : 0;
}
