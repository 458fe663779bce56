#pragma once
// A picture held in memory, read as a file would be, that gives nothing more once the
// decode reading it is no longer wanted: the reader stops at its next read (a row of a
// bitmap, a block of a drawing's text) instead of finishing a picture nobody will see.
#include <QBuffer>
#include <atomic>

class TamponAnnulable : public QBuffer {
public:
    TamponAnnulable(QByteArray* octets, const std::atomic<bool>* annulation) : QBuffer(octets), annulation_(annulation)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool annule() const { return annulation_ && annulation_->load(std::memory_order_relaxed); }

protected:
    qint64 readData(char* donnees, qint64 max) override { return annule() ? -1 : QBuffer::readData(donnees, max); }

private:
    const std::atomic<bool>* annulation_;
};
