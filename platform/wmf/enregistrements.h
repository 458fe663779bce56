#pragma once
// Record function numbers of the Windows Metafile format.
#include <QtGlobal>

namespace wmf::Fn {

constexpr quint16 Eof = 0x0000;
constexpr quint16 RealizePalette = 0x0035;
constexpr quint16 SetPalEntries = 0x0037;
constexpr quint16 SaveDC = 0x001E;
constexpr quint16 CreatePalette = 0x00F7;
constexpr quint16 SetBkMode = 0x0102;
constexpr quint16 SetMapMode = 0x0103;
constexpr quint16 SetROP2 = 0x0104;
constexpr quint16 SetPolyFillMode = 0x0106;
constexpr quint16 SetStretchBltMode = 0x0107;
constexpr quint16 SetTextCharExtra = 0x0108;
constexpr quint16 RestoreDC = 0x0127;
constexpr quint16 InvertRegion = 0x012A;
constexpr quint16 PaintRegion = 0x012B;
constexpr quint16 SelectClipRegion = 0x012C;
constexpr quint16 SelectObject = 0x012D;
constexpr quint16 SetTextAlign = 0x012E;
constexpr quint16 DIBCreatePatternBrush = 0x0142;
constexpr quint16 DeleteObject = 0x01F0;
constexpr quint16 CreatePatternBrush = 0x01F9;
constexpr quint16 SetBkColor = 0x0201;
constexpr quint16 SetTextColor = 0x0209;
constexpr quint16 SetWindowOrg = 0x020B;
constexpr quint16 SetWindowExt = 0x020C;
constexpr quint16 SetViewportOrg = 0x020D;
constexpr quint16 SetViewportExt = 0x020E;
constexpr quint16 OffsetWindowOrg = 0x020F;
constexpr quint16 OffsetViewportOrg = 0x0211;
constexpr quint16 LineTo = 0x0213;
constexpr quint16 MoveTo = 0x0214;
constexpr quint16 OffsetClipRgn = 0x0220;
constexpr quint16 FillRegion = 0x0228;
constexpr quint16 SelectPalette = 0x0234;
constexpr quint16 CreatePenIndirect = 0x02FA;
constexpr quint16 CreateFontIndirect = 0x02FB;
constexpr quint16 CreateBrushIndirect = 0x02FC;
constexpr quint16 Polygon = 0x0324;
constexpr quint16 Polyline = 0x0325;
constexpr quint16 ScaleWindowExt = 0x0410;
constexpr quint16 ScaleViewportExt = 0x0412;
constexpr quint16 ExcludeClipRect = 0x0415;
constexpr quint16 IntersectClipRect = 0x0416;
constexpr quint16 Ellipse = 0x0418;
constexpr quint16 Rectangle = 0x041B;
constexpr quint16 SetPixel = 0x041F;
constexpr quint16 FrameRegion = 0x0429;
constexpr quint16 TextOut = 0x0521;
constexpr quint16 PolyPolygon = 0x0538;
constexpr quint16 RoundRect = 0x061C;
constexpr quint16 PatBlt = 0x061D;
constexpr quint16 Escape = 0x0626;
constexpr quint16 CreateRegion = 0x06FF;
constexpr quint16 Arc = 0x0817;
constexpr quint16 Pie = 0x081A;
constexpr quint16 Chord = 0x0830;
constexpr quint16 BitBlt = 0x0922;
constexpr quint16 DIBBitBlt = 0x0940;
constexpr quint16 ExtTextOut = 0x0A32;
constexpr quint16 StretchBlt = 0x0B23;
constexpr quint16 DIBStretchBlt = 0x0B41;
constexpr quint16 SetDIBitsToDevice = 0x0D33;
constexpr quint16 StretchDIBits = 0x0F43;

} // namespace wmf::Fn
