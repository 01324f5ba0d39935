#include "viewer/TreeImages.h"

#include "model/MediaNode.h"

#include <QPainter>
#include <QPolygon>

namespace {

const QColor kOutline(0, 0, 0);

// The Picture Book: a closed album with a light page edge and a title label.
void DrawBook(QPainter& p)
{
    p.fillRect(11, 2, 3, 12, QColor(255, 255, 255)); // the pages' edge
    p.setPen(kOutline);
    p.drawLine(14, 2, 14, 13);
    p.drawLine(3, 13, 14, 13);
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(1, 1, 11, 11);
    p.setPen(QColor(80, 0, 0));
    p.drawLine(3, 2, 3, 11); // spine
    p.fillRect(5, 4, 5, 3, QColor(255, 204, 0));
}

// A photograph: a white border around a landscape with the sun.
void DrawPhoto(QPainter& p)
{
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(1, 2, 13, 11);
    p.fillRect(3, 4, 10, 8, QColor(96, 160, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 144, 0));
    p.drawPolygon(QPolygon({QPoint(3, 12), QPoint(3, 9), QPoint(6, 6), QPoint(9, 9), QPoint(11, 7),
                            QPoint(13, 9), QPoint(13, 12)}));
    p.fillRect(10, 4, 2, 2, QColor(255, 255, 0));
}

// A group: a folder.
void DrawGroup(QPainter& p)
{
    p.setPen(QColor(128, 96, 0));
    p.setBrush(QColor(255, 224, 96));
    p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(6, 3), QPoint(7, 4), QPoint(14, 4), QPoint(14, 13),
                            QPoint(1, 13)}));
    p.setBrush(QColor(255, 240, 160));
    p.drawRect(1, 6, 13, 7);
}

// Sound: a loudspeaker with two sound waves.
void DrawSound(QPainter& p)
{
    p.setPen(kOutline);
    p.setBrush(QColor(128, 128, 128));
    p.drawPolygon(QPolygon({QPoint(1, 5), QPoint(4, 5), QPoint(8, 1), QPoint(8, 13), QPoint(4, 9),
                            QPoint(1, 9)}));
    p.setPen(QColor(0, 0, 192));
    p.drawPoint(10, 5);
    p.drawLine(11, 6, 11, 8);
    p.drawPoint(10, 9);
    p.drawPoint(12, 2);
    p.drawPoint(13, 3);
    p.drawLine(14, 4, 14, 10);
    p.drawPoint(13, 11);
    p.drawPoint(12, 12);
}

// Video: a piece of film with its perforations.
void DrawVideo(QPainter& p)
{
    p.fillRect(1, 2, 14, 11, QColor(32, 32, 32));
    for (int x = 2; x < 15; x += 3) {
        p.fillRect(x, 3, 2, 1, QColor(255, 255, 255));
        p.fillRect(x, 11, 2, 1, QColor(255, 255, 255));
    }
    p.fillRect(3, 5, 4, 5, QColor(96, 160, 255));
    p.fillRect(9, 5, 4, 5, QColor(96, 160, 255));
}

// MIDI music: two beamed notes.
void DrawMidi(QPainter& p)
{
    const QColor ink(0, 0, 128);
    p.fillRect(1, 11, 4, 3, ink);
    p.fillRect(2, 10, 3, 1, ink);
    p.fillRect(8, 10, 4, 3, ink);
    p.fillRect(9, 9, 3, 1, ink);
    p.fillRect(4, 3, 1, 9, ink);
    p.fillRect(11, 2, 1, 9, ink);
    p.fillRect(4, 2, 8, 2, ink);
}

// Any other file: a page with a turned corner and a question mark.
void DrawOther(QPainter& p)
{
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    p.setPen(QColor(192, 0, 0));
    p.drawLine(6, 6, 7, 5);
    p.drawLine(8, 5, 9, 6);
    p.drawLine(9, 7, 8, 8);
    p.drawPoint(8, 9);
    p.drawPoint(8, 11);
}

QImage MakeStrip()
{
    QImage strip(TreeImages::kWidth * TI_COUNT, TreeImages::kHeight, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    void (*const draw[TI_COUNT])(QPainter&) = {DrawBook,  DrawPhoto, DrawGroup, DrawSound,
                                               DrawVideo, DrawMidi,  DrawOther};
    for (int i = 0; i < TI_COUNT; ++i) {
        painter.save();
        painter.translate(i * TreeImages::kWidth, 0);
        painter.setClipRect(0, 0, TreeImages::kWidth, TreeImages::kHeight);
        draw[i](painter);
        painter.restore();
    }
    return strip;
}

} // namespace

const QImage& TreeImages::Strip()
{
    static const QImage strip = MakeStrip();
    return strip;
}

QImage TreeImages::Image(int index)
{
    if (index < 0 || index >= TI_COUNT)
        index = TI_OTHER_MEDIA;
    return Strip().copy(index * kWidth, 0, kWidth, kHeight);
}

QIcon TreeImages::Icon(int index)
{
    return QIcon(QPixmap::fromImage(Image(index)));
}

int TreeImages::IndexForMediaType(int mediaType)
{
    switch (mediaType) {
    case MEDIA_SOUND: return TI_SOUND;
    case MEDIA_VIDEO: return TI_VIDEO;
    case MEDIA_MIDI: return TI_MIDI;
    default: return TI_OTHER_MEDIA;
    }
}
