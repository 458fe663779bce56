#pragma once
// What each of our libjpeg callers shares: an error jumps back to the caller
// instead of ending the program, warnings say nothing (a damaged file gets its
// own French reason), and the EXIF turn is made as Qt's reader makes it.
#include <QImage>
#include <QImageIOHandler>
#include <QTransform>

#include <atomic>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace jpegcommun {

struct ErreurJpeg {
    jpeg_error_mgr pub;
    std::jmp_buf saut; // set by the caller's setjmp before any libjpeg call
};

[[noreturn]] inline void sortirSurErreur(j_common_ptr c)
{
    std::longjmp(reinterpret_cast<ErreurJpeg*>(c->err)->saut, 1);
}

inline void taire(j_common_ptr)
{
}

inline jpeg_error_mgr* brancher(ErreurJpeg& e)
{
    jpeg_std_error(&e.pub);
    e.pub.error_exit = sortirSurErreur;
    e.pub.output_message = taire;
    return &e.pub;
}

inline bool annule(const std::atomic<bool>* annulation)
{
    return annulation && annulation->load(std::memory_order_relaxed);
}

// The mirroring first, then the quarter turn: orientations 5 and 7 depend on the order.
inline QImage orienter(QImage image, QImageIOHandler::Transformations t)
{
    const bool miroir = t & QImageIOHandler::TransformationMirror;
    const bool renverse = t & QImageIOHandler::TransformationFlip;
    if (miroir || renverse)
        image = image.mirrored(miroir, renverse);
    if (t & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

} // namespace jpegcommun
