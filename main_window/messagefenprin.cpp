#include "main_window/messagefenprin.h"

#include "app/general.h"
#include "app/twips.h"

#include <QIcon>
#include <QLabel>

MessageFenPrin::MessageFenPrin(General& g, QWidget* fenetre)
    : PanneauMessage(fenetre, QStringLiteral("FondMessage"), QStringLiteral("Erreur"), {3915, 1635},
                     {600, 360, 3165, 630}, {1380, 1260, 1155, 255}),
      g_(g)
{
    twips::deplacer(this, 720, 2220);
    hide();
    setAlignementTitre(Qt::AlignLeft);
    bouton()->setObjectName(QStringLiteral("CmdOKMsg"));
    IcoFondMessage_ = new QLabel(this);
    IcoFondMessage_->setObjectName(QStringLiteral("IcoFondMessage"));
    twips::placer(IcoFondMessage_, 60, 360, 480, 480);
    IcoFondMessage_->setPixmap(QIcon(QStringLiteral(":/icones/exclam.svg")).pixmap(IcoFondMessage_->size()));
    QLabel* message = texte();
    message->setObjectName(QStringLiteral("LblMessage"));
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont f = message->font();
    f.setFamily(QStringLiteral("Verdana"));
    f.setPointSizeF(8.25);
    message->setFont(f);
    connect(bouton(), &QAbstractButton::clicked, this, &QWidget::hide);
}

void MessageFenPrin::afficher(const QString& titre, const QString& texte, bool avecIcone, int son)
{
    IcoFondMessage_->setEnabled(avecIcone);
    twips::deplacer(this, 720, 2220);
    setTitre(titre);
    setTexte(texte);
    JouerSon(g_, son);
    show(); // takes the focus, and gives it back when closed
    raise();
    setFocus(); // a second message over the first
}
