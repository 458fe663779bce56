#pragma once
// The skinned button and panel every window is built from: a gradient background,
// a caption colour, a highlight colour under the mouse, and tooltips that follow
// the user's on/off preference at each mouse move.
#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

// What the colour scheme sets on both controls.
class ControleSkin {
public:
    virtual ~ControleSkin() = default;
    void setDegrade(const QColor& debut, const QColor& fin);
    void setCouleurTexte(const QColor& c);
    QColor gradientDebut() const { return debut_; }
    QColor gradientFin() const { return fin_; }
    QColor couleurTexte() const { return texte_; }
    // Orientation of the gradient, from start to end: top to bottom unless set.
    void setSens(Qt::Orientation o);
    void setAvecDegrade(bool oui);

    // The tooltip shown is `texte` while *actif is true, and nothing otherwise.
    void setInfoBulle(const QString& texte, const bool* actif);
    QString infoBulle() const { return infoBulle_; }

protected:
    virtual QWidget* widget() = 0;
    void majInfoBulle();
    void peindreFond(QPainter& p, const QRectF& r, bool inverse) const;

    QColor debut_{0, 128, 128};
    QColor fin_{224, 224, 224};
    QColor texte_{Qt::white};
    Qt::Orientation sens_ = Qt::Vertical;
    bool avecDegrade_ = true;
    QString infoBulle_;
    const bool* infoBullesActives_ = nullptr;
};

class BoutonSkin : public QAbstractButton, public ControleSkin {
    Q_OBJECT
public:
    explicit BoutonSkin(QWidget* parent = nullptr, const QString& nom = QString(), const QString& texte = QString());

    void setCouleurLumiere(const QColor& c);
    QColor couleurLumiere() const { return lumiere_; }
    void setLumiereTexte(bool oui) { lumiereTexte_ = oui; }
    // An inactive band: painted, never reacting to the mouse.
    void setBande(bool oui);
    // Any mouse button pressed on it drags its window (borderless title rows).
    void setDeplaceFenetre(bool oui) { deplace_ = oui; }
    void setIconeSvg(const QString& ressource);
    void setAlignementTexte(Qt::Alignment a)
    {
        alignement_ = a;
        update();
    }
    void setRetourLigne(bool oui)
    {
        retourLigne_ = oui;
        update();
    }
    bool survole() const { return survol_; }

signals:
    void sourisEnfoncee(Qt::MouseButton bouton, Qt::KeyboardModifiers modificateurs, QPoint position);
    void sourisDeplacee(Qt::MouseButtons boutons, Qt::KeyboardModifiers modificateurs, QPoint position);

protected:
    QWidget* widget() override { return this; }
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    QSize sizeHint() const override;

private:
    QColor lumiere_{108, 255, 222};
    bool lumiereTexte_ = true;
    bool bande_ = false;
    bool deplace_ = false;
    bool survol_ = false;
    bool retourLigne_ = false;
    Qt::Alignment alignement_ = Qt::AlignCenter;
    QPoint ancrage_;
    bool deplacementManuel_ = false;
};

class PanneauSkin : public QWidget, public ControleSkin {
    Q_OBJECT
public:
    explicit PanneauSkin(QWidget* parent = nullptr, const QString& nom = QString(), const QString& titre = QString());

    void setTitre(const QString& t);
    QString titre() const { return titre_; }
    void setAlignementTitre(Qt::Alignment a)
    {
        alignementTitre_ = a;
        update();
    }
    void setBordure(bool oui)
    {
        bordure_ = oui;
        update();
    }
    // The caption row painted in the gradient's end colour: a caption in the colour of
    // the gradient's start would melt into it.
    void setBandeauTitre(bool oui)
    {
        bandeauTitre_ = oui;
        update();
    }
    // Height of the caption row children should leave free, in pixels.
    int hauteurTitre() const;
    // A panel that answers the keyboard: Return, Enter and Space press `defaut`, Escape
    // presses `annuler`. Shown, it takes the focus so that the keys reach it; hidden, it
    // gives the focus back where it was.
    void setBoutonsClavier(QAbstractButton* defaut, QAbstractButton* annuler);

signals:
    void clique();
    void sourisDeplacee(Qt::MouseButtons boutons, Qt::KeyboardModifiers modificateurs, QPoint position);

protected:
    QWidget* widget() override { return this; }
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QString titre_;
    Qt::Alignment alignementTitre_ = Qt::AlignHCenter;
    bool bordure_ = true;
    bool bandeauTitre_ = false;
    bool presse_ = false;
    QPointer<QAbstractButton> defaut_;
    QPointer<QAbstractButton> annuler_;
    QPointer<QWidget> focusAvant_;
};

// A text label of the scheme ("Lbl…"): plain text in a chosen colour, transparent.
void peindreLibelle(QWidget* libelle, const QColor& texte);
// Background colour of any plain widget (window, list, text box).
void peindreFondWidget(QWidget* w, const QColor& fond, const QColor& texte = QColor());
