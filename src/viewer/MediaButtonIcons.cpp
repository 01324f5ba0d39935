#include "viewer/MediaButtonIcons.h"

#include "model/MediaNode.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap EmptyPicture()
{
    QPixmap pixmap(MediaButtonIcons::kSize, MediaButtonIcons::kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap MediaButtonIcons::Create(int mediaType)
{
    switch (mediaType) {
    case MEDIA_SOUND: return Sound();
    case MEDIA_VIDEO: return Video();
    case MEDIA_MIDI: return Midi();
    default: return Other();
    }
}

QPixmap MediaButtonIcons::Sound()
{
    // A loudspeaker with two sound waves.
    QPixmap pixmap = EmptyPicture();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath speaker;
    speaker.moveTo(1, 6);
    speaker.lineTo(4, 6);
    speaker.lineTo(8, 2);
    speaker.lineTo(8, 14);
    speaker.lineTo(4, 10);
    speaker.lineTo(1, 10);
    speaker.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(64, 64, 64));
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 160), 1.2));
    p.drawArc(QRectF(7, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 2.5, 9, 11), -60 * 16, 120 * 16);
    return pixmap;
}

QPixmap MediaButtonIcons::Video()
{
    // A strip of film: a dark band with sprocket holes and a light frame.
    QPixmap pixmap = EmptyPicture();
    QPainter p(&pixmap);
    p.fillRect(QRect(1, 2, 14, 12), QColor(32, 32, 32));
    for (int x = 2; x < 15; x += 3) {
        p.fillRect(QRect(x, 3, 2, 1), Qt::white);
        p.fillRect(QRect(x, 12, 2, 1), Qt::white);
    }
    p.fillRect(QRect(3, 5, 10, 6), QColor(96, 160, 224));
    p.fillRect(QRect(3, 9, 10, 2), QColor(64, 144, 64));
    return pixmap;
}

QPixmap MediaButtonIcons::Midi()
{
    // Two joined quavers.
    QPixmap pixmap = EmptyPicture();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 0, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(1.5, 10.5, 5, 4));
    p.drawEllipse(QRectF(9.5, 9, 5, 4));
    p.setPen(QPen(ink, 1.4));
    p.drawLine(QPointF(6, 12.5), QPointF(6, 3));
    p.drawLine(QPointF(14, 11), QPointF(14, 1.5));
    p.setPen(QPen(ink, 2.2));
    p.drawLine(QPointF(6, 3.5), QPointF(14, 2));
    return pixmap;
}

QPixmap MediaButtonIcons::Other()
{
    // A sheet of paper with a folded corner and a question mark.
    QPixmap pixmap = EmptyPicture();
    QPainter p(&pixmap);
    QPolygon sheet({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)});
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(128, 0, 0));
    p.drawText(QRect(3, 4, 10, 10), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}
