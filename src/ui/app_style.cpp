#include "ui/app_style.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vm::ui {

QFont appFont(int pointSize) {
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QImage drawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid and scaled, so both sizes keep the same shapes.
    p.scale(size / 32.0, size / 32.0);

    // A wooden picture frame.
    p.setPen(QPen(QColor(0x5a, 0x36, 0x1a), 1.0));
    p.setBrush(QColor(0xb8, 0x7a, 0x3d));
    p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 2, 2);

    // The picture in it: sky and a green hill.
    QLinearGradient sky(0, 7, 0, 25);
    sky.setColorAt(0, QColor(0x4f, 0x9d, 0xe8));
    sky.setColorAt(1, QColor(0xc8, 0xe6, 0xff));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    const QRectF inner(5, 7, 22, 18);
    p.drawRect(inner);
    p.save();
    p.setClipRect(inner);
    p.setBrush(QColor(0x3f, 0x9b, 0x3a));
    p.drawEllipse(QRectF(1, 17, 22, 16));
    p.setBrush(QColor(0x2c, 0x7a, 0x2a));
    p.drawEllipse(QRectF(14, 19, 18, 14));
    p.setBrush(QColor(0xff, 0xd8, 0x3a));
    p.drawEllipse(QRectF(20, 9, 5, 5));
    p.restore();

    // A golden key across the corner: the password that finds the message.
    const QColor gold(0xf2, 0xb7, 0x05);
    const QColor goldEdge(0x7a, 0x55, 0x00);
    p.setPen(QPen(goldEdge, 1.0));
    p.setBrush(gold);
    QPainterPath key;
    key.addEllipse(QRectF(15.5, 18.5, 9, 9));
    key.addRect(QRectF(4.5, 21.5, 12, 3));
    key.addRect(QRectF(5.5, 24, 2.5, 4));
    key.addRect(QRectF(9.5, 24, 2.5, 3));
    p.drawPath(key.simplified());
    p.setBrush(goldEdge);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(18.5, 21.5, 3, 3));
    return image;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

}  // namespace vm::ui
