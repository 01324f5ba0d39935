#include "viewer/PhotoPlaceholder.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include <algorithm>

QSize PhotoPlaceholder::Measure(const QString& text, const QFontMetrics& metrics)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QSize(width, static_cast<int>(lines.size()) * metrics.height());
}

void PhotoPlaceholder::Draw(QPainter& painter, const QRect& client, const QString& text)
{
    painter.fillRect(client, Grey());
    QStringList lines = text.split(QLatin1Char('\n'));
    int lineHeight = painter.fontMetrics().height();
    int textHeight = static_cast<int>(lines.size()) * lineHeight;
    int top = client.top() + client.height() / 2 - textHeight / 2;
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(client.left(), top + i * lineHeight, client.width(), lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop, lines[i]);
}
