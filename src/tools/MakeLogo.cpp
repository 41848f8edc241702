// doxarel-makelogo: draws the program's logo ("logo.bmp" of the program folder, shown when no
// archive is open): a filing box with a document and a magnifier, in shapes only, so that no font
// is needed at build time.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {
constexpr int kSize = 96;

void drawLogo(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // The ground: a rounded square in the program's blue.
    QLinearGradient ground(0, 0, 0, kSize);
    ground.setColorAt(0, QColor(0x3b, 0x7d, 0xd8));
    ground.setColorAt(1, QColor(0x1f, 0x4e, 0x9a));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(2, 2, kSize - 4, kSize - 4), 16, 16);

    // A document standing in the box, its corner folded.
    QPainterPath page;
    page.moveTo(30, 14);
    page.lineTo(58, 14);
    page.lineTo(68, 24);
    page.lineTo(68, 60);
    page.lineTo(30, 60);
    page.closeSubpath();
    p.setBrush(QColor(0xfb, 0xfb, 0xf7));
    p.drawPath(page);
    p.setBrush(QColor(0xd6, 0xdc, 0xe4));
    QPainterPath corner;
    corner.moveTo(58, 14);
    corner.lineTo(58, 24);
    corner.lineTo(68, 24);
    corner.closeSubpath();
    p.drawPath(corner);
    p.setPen(QPen(QColor(0x9a, 0xa8, 0xba), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int y = 30; y <= 50; y += 7)
        p.drawLine(QPointF(36, y), QPointF(y == 30 ? 54 : 62, y));

    // The filing box in front.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xb1, 0x3c));
    p.drawRoundedRect(QRectF(18, 46, 60, 34), 5, 5);
    p.setBrush(QColor(0xd9, 0x93, 0x1f));
    p.drawRoundedRect(QRectF(18, 46, 60, 8), 3, 3);
    p.setBrush(QColor(0x7a, 0x4a, 0x08));
    p.drawRoundedRect(QRectF(38, 62, 20, 6), 3, 3);

    // The magnifier over the box: finding is what the archive is for.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(73, 73), QPointF(85, 85));
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QPointF(64, 64), 12, 12);
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(QColor(0xf0, 0xf0, 0xf0)); // the window's background: a bitmap has no transparency
    QPainter painter(&image);
    drawLogo(painter);
    painter.end();
    const QString file = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath(QStringLiteral("logo.bmp"));
    if (!image.save(file, "BMP")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
        return 1;
    }
    return 0;
}
