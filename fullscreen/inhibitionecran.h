#pragma once
// Holds off the desktop's screen saver and display sleep while the viewer is
// open, through the freedesktop ScreenSaver service; where no such service
// runs, nothing happens.

#include <QObject>
#include <QString>

class InhibitionEcran : public QObject {
    Q_OBJECT
public:
    explicit InhibitionEcran(QObject* parent = nullptr);
    ~InhibitionEcran() override;

    void activer(const QString& raison);
    void liberer();
    bool active() const { return m_voulue; }

private:
    void recevoirCookie(uint cookie);
    bool m_voulue = false;
    bool m_enAttente = false;
    uint m_cookie = 0;
    bool m_aCookie = false;
};
