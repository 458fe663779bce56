#include "app/services.h"
#include <QDesktopServices>

void ServicesBureau::ouvrirAide(const QString& adresse)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(adresse));
}
