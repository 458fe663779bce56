#pragma once
// Bounded little-endian reader: every read past the end yields zero and marks
// the reader as failed, so that callers check once after a group of reads
// instead of before each one.
#include <QtGlobal>

namespace wmf {

class Octets {
public:
    Octets(const uchar* donnees, qsizetype taille) : m_d(donnees), m_n(taille < 0 ? 0 : taille) {}

    qsizetype taille() const { return m_n; }
    qsizetype position() const { return m_pos; }
    qsizetype reste() const { return m_n - m_pos; }
    bool ok() const { return m_ok; }
    const uchar* ici() const { return m_d + m_pos; }
    const uchar* debut() const { return m_d; }

    bool peutLire(qsizetype n) const { return n >= 0 && n <= reste(); }
    void sauter(qsizetype n)
    {
        if (!peutLire(n)) {
            m_ok = false;
            m_pos = m_n;
            return;
        }
        m_pos += n;
    }
    void aller(qsizetype pos)
    {
        if (pos < 0 || pos > m_n) {
            m_ok = false;
            m_pos = m_n;
            return;
        }
        m_pos = pos;
    }

    quint8 u8() { return peutLire(1) ? m_d[m_pos++] : echec(); }
    quint16 u16()
    {
        if (!peutLire(2))
            return echec();
        const quint16 v = quint16(m_d[m_pos] | (m_d[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    qint16 i16() { return qint16(u16()); }
    quint32 u32()
    {
        if (!peutLire(4))
            return echec();
        const quint32 v = quint32(m_d[m_pos]) | (quint32(m_d[m_pos + 1]) << 8) | (quint32(m_d[m_pos + 2]) << 16)
                          | (quint32(m_d[m_pos + 3]) << 24);
        m_pos += 4;
        return v;
    }
    qint32 i32() { return qint32(u32()); }

private:
    quint8 echec()
    {
        m_ok = false;
        m_pos = m_n;
        return 0;
    }

    const uchar* m_d;
    qsizetype m_n;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

} // namespace wmf
