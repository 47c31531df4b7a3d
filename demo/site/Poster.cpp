#include "Poster.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QtMath>

namespace trouvel::demo {

QByteArray paintPoster(const Film& film)
{
    constexpr int width = 300;
    constexpr int height = 450;
    QImage image(width, height, QImage::Format_RGB32);
    const int hue = (film.id * 47) % 360;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor::fromHsv(hue, 90, 235));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 200, 70));
    p.fillRect(image.rect(), sky);

    // A few discs and a horizon, placed from the film's number so every poster differs.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const int seed = film.id * 31 + i * 17;
        p.setBrush(QColor::fromHsv((hue + 60 * i) % 360, 120, 250, 90));
        const int r = 30 + seed % 70;
        p.drawEllipse(QPoint(seed * 13 % width, 60 + seed * 7 % 220), r, r);
    }
    p.setBrush(QColor::fromHsv((hue + 180) % 360, 160, 40));
    QPolygon hills;
    hills << QPoint(0, height);
    for (int x = 0; x <= width; x += 30)
        hills << QPoint(x, 300 + int(25 * qSin((x + film.id * 11) / 40.0)));
    hills << QPoint(width, height);
    p.drawPolygon(hills);

    p.setPen(Qt::white);
    QFont titleFont(QStringLiteral("DejaVu Serif"), 20, QFont::Bold);
    p.setFont(titleFont);
    p.drawText(QRect(16, 330, width - 32, 80), Qt::AlignCenter | Qt::TextWordWrap, film.title);
    QFont smallFont(QStringLiteral("DejaVu Sans"), 10);
    p.setFont(smallFont);
    p.drawText(QRect(16, 20, width - 32, 24), Qt::AlignCenter, film.director.toUpper());
    p.drawText(QRect(16, 414, width - 32, 20), Qt::AlignCenter, QString::number(film.year));
    p.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}

QByteArray brokenPosterBytes()
{
    return "<html><body><h1>Erreur 500</h1><p>Image temporairement indisponible.</p></body></html>\n";
}

} // namespace trouvel::demo
