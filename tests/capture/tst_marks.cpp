#include "CameraDll/markup/marked_picture.h"
#include "CameraDll/markup/pixel_filters.h"

#include <QPainter>
#include <QTest>

#include <cmath>

using namespace camera;

Q_DECLARE_METATYPE(camera::Mark)

namespace {

const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRect kScreen(0, 0, 200, 150);

QImage Plain(qreal scale) {
    QImage image((kScreen.size() * scale), QImage::Format_RGB32);
    image.fill(kGrey);
    image.setDevicePixelRatio(scale);
    return image;
}

// Every device pixel tells where it is, so averages can be checked.
QImage Pattern(qreal scale) {
    QImage image((kScreen.size() * scale), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
    image.setDevicePixelRatio(scale);
    return image;
}

Mark MakeMark(MarkKind kind, QPolygonF points, qreal width = 4, QString text = {},
              QColor colour = QColor(kRed)) {
    return {kind, colour, width, std::move(points), std::move(text)};
}

// A picture painted in logical pixels at a scale.
template <typename Paint> QImage Painted(qreal scale, Paint paint) {
    QImage image = Plain(scale);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

int Distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The same text as the mosaic hides it, the way a person would write it:
// the program's own font at its own size, black on white.
QImage Written(const QString& text, qreal scale, QRect* where) {
    return Painted(scale, [&](QPainter& painter) {
        painter.fillRect(kScreen, Qt::white);
        painter.setPen(Qt::black);
        const QFontMetrics metrics(painter.font());
        *where = QRect(20, 40, metrics.horizontalAdvance(text) + 4, metrics.height() + 4);
        painter.drawText(where->adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignVCenter, text);
    });
}

QImage Render(const Mark& mark, qreal scale, QImage base = {}) {
    MarkedPicture picture(kScreen, base.isNull() ? Plain(scale) : base);
    picture.add(mark);
    return picture.image();
}

// Device pixel at logical (x, y) + half a device pixel.
QRgb At(const QImage& image, qreal x, qreal y, qreal scale) {
    return image.pixel(static_cast<int>(std::floor(x * scale)),
                       static_cast<int>(std::floor(y * scale)));
}

} // namespace

class MarksTest : public QObject {
    Q_OBJECT
private slots:
    void rectangleLineIsWidthTimesScale_data();
    void rectangleLineIsWidthTimesScale();
    void shapes_data();
    void shapes();
    void edgesAreSmooth_data();
    void edgesAreSmooth();
    void boundsHoldEverythingDrawn_data();
    void boundsHoldEverythingDrawn();
    void mosaicBlocks_data();
    void mosaicBlocks();
    void mosaicTakesNoAverage();
    void mosaicOfTwoTextsCannotBeToldApart();
    void mosaicShowsTheMarksUnderIt();
    void numberMarkers_data();
    void numberMarkers();
    void highlighterKeepsTextReadable_data();
    void highlighterKeepsTextReadable();
    void blurGrowsWithTheScale();
    void markOffTheScreenLeavesItsPictureShared();
    void redrawStartsFromTheGrab();
    void marksLandOnEveryScreenAtItsScale();
};

void MarksTest::rectangleLineIsWidthTimesScale_data() {
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<qreal>("width");
    QTest::newRow("中 at scale 1") << 1.0 << 4.0;
    QTest::newRow("中 at scale 2") << 2.0 << 4.0;
    QTest::newRow("细 at scale 2") << 2.0 << 2.0;
    QTest::newRow("粗 at scale 1") << 1.0 << 8.0;
}

void MarksTest::rectangleLineIsWidthTimesScale() {
    QFETCH(qreal, scale);
    QFETCH(qreal, width);
    const QImage image =
        Render(MakeMark(MarkKind::Rectangle, {QPointF(20, 20), QPointF(120, 80)}, width), scale);
    // The left edge at x = 20, row y = 50: exactly width × scale red device
    // pixels, centred on the edge, grey on either side.
    const int y = static_cast<int>(50 * scale);
    const int first = static_cast<int>((20 - width / 2) * scale);
    const int last = static_cast<int>((20 + width / 2) * scale) - 1;
    QCOMPARE(last - first + 1, static_cast<int>(width * scale));
    for (int x = first; x <= last; ++x)
        QCOMPARE(image.pixel(x, y), kRed);
    QCOMPARE(image.pixel(first - 1, y), kGrey);
    QCOMPARE(image.pixel(last + 1, y), kGrey);
    QCOMPARE(At(image, 70, 50, scale), kGrey); // no fill
}

void MarksTest::shapes_data() {
    QTest::addColumn<Mark>("mark");
    QTest::addColumn<QList<QPointF>>("red");
    QTest::addColumn<QList<QPointF>>("grey");
    QTest::addColumn<qreal>("scale");
    for (const qreal scale : {1.0, 2.0}) {
        const QByteArray at = scale == 1 ? " at scale 1" : " at scale 2";
        QTest::newRow("ellipse" + at)
            << MakeMark(MarkKind::Ellipse, {QPointF(20, 20), QPointF(120, 80)})
            << QList<QPointF>{{20.5, 50.5}, {70.5, 20.5}, {119.5, 50.5}}
            << QList<QPointF>{{70.5, 50.5}, {24.5, 24.5}, {116, 76}} << scale;
        // Head at the end of the drag: wide there, only the shaft elsewhere.
        QTest::newRow("arrow" + at)
            << MakeMark(MarkKind::Arrow, {QPointF(20, 100), QPointF(150, 100)})
            << QList<QPointF>{{22.5, 100.5}, {80.5, 100.5}, {135.5, 94.5}, {145.5, 100.5}}
            << QList<QPointF>{{80.5, 94.5}, {155.5, 100.5}, {17.5, 100.5}} << scale;
        QTest::newRow("arrow drawn backwards" + at)
            << MakeMark(MarkKind::Arrow, {QPointF(150, 100), QPointF(20, 100)})
            << QList<QPointF>{{35.5, 94.5}, {24.5, 100.5}} << QList<QPointF>{{135.5, 94.5}}
            << scale;
        QTest::newRow("pen" + at) << MakeMark(MarkKind::Pen,
                                              {QPointF(20, 20), QPointF(60, 60), QPointF(100, 20)})
                                  << QList<QPointF>{{40.5, 40.5}, {80.5, 40.5}, {20.5, 20.5}}
                                  << QList<QPointF>{{60.5, 20.5}, {60.5, 70.5}} << scale;
    }
}

void MarksTest::shapes() {
    QFETCH(Mark, mark);
    QFETCH(QList<QPointF>, red);
    QFETCH(QList<QPointF>, grey);
    QFETCH(qreal, scale);
    const QImage image = Render(mark, scale);
    for (const QPointF& p : red)
        QVERIFY2(At(image, p.x(), p.y(), scale) == kRed,
                 qPrintable(QStringLiteral("not red at %1,%2").arg(p.x()).arg(p.y())));
    for (const QPointF& p : grey)
        QVERIFY2(At(image, p.x(), p.y(), scale) == kGrey,
                 qPrintable(QStringLiteral("not grey at %1,%2").arg(p.x()).arg(p.y())));
}

void MarksTest::edgesAreSmooth_data() {
    QTest::addColumn<Mark>("mark");
    QTest::addColumn<bool>("smooth");
    QTest::newRow("ellipse") << MakeMark(MarkKind::Ellipse, {QPointF(20, 20), QPointF(120, 80)})
                             << true;
    QTest::newRow("arrow") << MakeMark(MarkKind::Arrow, {QPointF(20, 20), QPointF(150, 110)})
                           << true;
    QTest::newRow("text") << MakeMark(MarkKind::Text, {QPointF(20, 20)}, 4, QStringLiteral("你好"))
                          << true;
    // Straight lines on whole pixels stay crisp.
    QTest::newRow("rectangle") << MakeMark(MarkKind::Rectangle, {QPointF(20, 20), QPointF(120, 80)})
                               << false;
}

void MarksTest::edgesAreSmooth() {
    QFETCH(Mark, mark);
    QFETCH(bool, smooth);
    for (const qreal scale : {1.0, 2.0}) {
        // On black and white halves, a hard edge only ever gives the mark's
        // own colours; a smooth one blends some pixels with the picture.
        QImage base = Plain(scale);
        QPainter(&base).fillRect(QRectF(0, 0, 100, 150), Qt::white);
        base.setDevicePixelRatio(scale);
        const QImage image = Render(mark, scale, base);
        int blended = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (p != kRed && p != base.pixel(x, y) && qGreen(p) == qBlue(p) &&
                    qRed(p) > qGreen(p))
                    ++blended;
            }
        QCOMPARE(blended > 0, smooth);
    }
}

void MarksTest::boundsHoldEverythingDrawn_data() {
    QTest::addColumn<Mark>("mark");
    for (const qreal width : {2.0, 8.0}) {
        const QByteArray w = width == 2 ? " 细" : " 粗";
        QTest::newRow("rectangle" + w)
            << MakeMark(MarkKind::Rectangle, {QPointF(30, 30), QPointF(90, 70)}, width);
        QTest::newRow("ellipse" + w)
            << MakeMark(MarkKind::Ellipse, {QPointF(30, 30), QPointF(90, 70)}, width);
        QTest::newRow("arrow" + w)
            << MakeMark(MarkKind::Arrow, {QPointF(30, 70), QPointF(120, 30)}, width);
        QTest::newRow("short arrow" + w)
            << MakeMark(MarkKind::Arrow, {QPointF(60, 60), QPointF(63, 58)}, width);
        QTest::newRow("pen" + w) << MakeMark(
            MarkKind::Pen, {QPointF(30, 30), QPointF(31, 80), QPointF(35, 30), QPointF(90, 60)},
            width);
        QTest::newRow("text" + w) << MakeMark(MarkKind::Text, {QPointF(30, 30)}, width,
                                              QStringLiteral("标注 Wjg"));
        QTest::newRow("mosaic" + w)
            << MakeMark(MarkKind::Mosaic, {QPointF(30.4, 30.6), QPointF(91.7, 70.2)}, width);
        QTest::newRow("blur" + w) << MakeMark(MarkKind::Blur,
                                              {QPointF(30.4, 30.6), QPointF(91.7, 70.2)}, width);
        QTest::newRow("number" + w)
            << MakeMark(MarkKind::Number, {QPointF(60.3, 50.6)}, width, QStringLiteral("12"));
        QTest::newRow("highlighter" + w) << MakeMark(
            MarkKind::Highlighter, {QPointF(30, 30), QPointF(31, 80), QPointF(90, 60)}, width);
    }
}

// The overlay repaints only the area a mark says it covers: a pixel drawn
// outside it would stay on screen after an undo.
void MarksTest::boundsHoldEverythingDrawn() {
    QFETCH(Mark, mark);
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QImage before = Pattern(scale);
        const QImage after = Render(mark, scale, before);
        const QRectF bounds = MarkBounds(mark);
        int changed = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x) {
                if (after.pixel(x, y) == before.pixel(x, y))
                    continue;
                ++changed;
                const QRectF logical(x / scale, y / scale, 1 / scale, 1 / scale);
                QVERIFY2(bounds.contains(logical),
                         qPrintable(QStringLiteral("pixel %1,%2 at scale %3 outside the bounds")
                                        .arg(x)
                                        .arg(y)
                                        .arg(scale)));
            }
        QVERIFY(changed > 0);
    }
}

void MarksTest::mosaicBlocks_data() {
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<int>("side"); // device pixels
    QTest::newRow("scale 1") << 1.0 << 8;
    QTest::newRow("scale 1.5") << 1.5 << 12;
    QTest::newRow("scale 2") << 2.0 << 16;
}

void MarksTest::mosaicBlocks() {
    QFETCH(qreal, scale);
    QFETCH(int, side);
    const QImage source = Pattern(scale);
    // 35 × 20 logical from (10, 10): whole blocks and a cut-off last one.
    const QImage image =
        Render(MakeMark(MarkKind::Mosaic, {QPointF(45, 30), QPointF(10, 10)}), scale, source);
    const QRect area(QPoint(qRound(10 * scale), qRound(10 * scale)),
                     QPoint(qRound(45 * scale) - 1, qRound(30 * scale) - 1));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!area.contains(x, y) && image.pixel(x, y) != source.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("changed outside at %1,%2").arg(x).arg(y)));
    for (int top = area.top(); top <= area.bottom(); top += side)
        for (int left = area.left(); left <= area.right(); left += side) {
            const QRect block = QRect(left, top, side, side) & area;
            // Even, and in a colour the block really has: nothing made up.
            const QRgb colour = image.pixel(block.topLeft());
            bool own = false;
            for (int y = block.top(); y <= block.bottom(); ++y)
                for (int x = block.left(); x <= block.right(); ++x) {
                    own = own || source.pixel(x, y) == colour;
                    if (image.pixel(x, y) != colour)
                        QFAIL(qPrintable(QStringLiteral("block at %1,%2 not even at %3,%4")
                                             .arg(left)
                                             .arg(top)
                                             .arg(x)
                                             .arg(y)));
                }
            QVERIFY2(
                own,
                qPrintable(
                    QStringLiteral("block at %1,%2 in a colour it never had").arg(left).arg(top)));
        }
}

void MarksTest::mosaicTakesNoAverage() {
    for (const qreal scale : {1.0, 2.0}) {
        // Thin dark strokes on grey, as text is: every block stays the
        // grey, where an average would darken each by how much it holds.
        const QImage strokes = Painted(scale, [](QPainter& painter) {
            painter.setPen(QPen(Qt::black, 1));
            for (int x = 2; x < 80; x += 3)
                painter.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, 80));
        });
        QImage image =
            Render(MakeMark(MarkKind::Mosaic, {QPointF(0, 0), QPointF(64, 64)}), scale, strokes);
        for (int y = 0; y < 64 * scale; ++y)
            for (int x = 0; x < 64 * scale; ++x)
                if (image.pixel(x, y) != kGrey)
                    QFAIL(qPrintable(QStringLiteral("not the background at %1,%2 at scale %3")
                                         .arg(x)
                                         .arg(y)
                                         .arg(scale)));
        // Where a colour covers most of a block, the block takes it.
        const QImage mostlyRed = Painted(
            scale, [](QPainter& painter) { painter.fillRect(QRectF(0, 0, 5, 8), Qt::red); });
        image =
            Render(MakeMark(MarkKind::Mosaic, {QPointF(0, 0), QPointF(16, 8)}), scale, mostlyRed);
        QCOMPARE(image.pixel(0, 0), kRed);
        QCOMPARE(At(image, 7.5, 7.5, scale), kRed);
        QCOMPARE(At(image, 8.5, 0.5, scale), kGrey);
    }
}

// The way such mosaics are undone: render guesses of the text in the same
// font, mosaic them the same way, and keep the guess whose blocks match.
// Two different texts of the same length must therefore come out the same.
void MarksTest::mosaicOfTwoTextsCannotBeToldApart() {
    const QString first = QStringLiteral("张三的密码：Hx72kQ9p");
    const QString second = QStringLiteral("李四的卡号：Bt05mWz4");
    QCOMPARE(first.size(), second.size());
    for (const qreal scale : {1.0, 2.0}) {
        QRect where, other;
        const QImage a = Written(first, scale, &where);
        const QImage b = Written(second, scale, &other);
        // Letters differ in width: one rectangle over both, as a person
        // drags it over the text.
        where |= other;
        const Mark mosaic =
            MakeMark(MarkKind::Mosaic, {QPointF(where.topLeft()), QPointF(where.bottomRight())});
        const QImage hiddenA = Render(mosaic, scale, a);
        const QImage hiddenB = Render(mosaic, scale, b);
        const QRect device(where.topLeft() * scale, where.size() * scale);
        int differing = 0;
        for (int y = device.top(); y <= device.bottom(); ++y)
            for (int x = device.left(); x <= device.right(); ++x)
                differing += hiddenA.pixel(x, y) != hiddenB.pixel(x, y) ? 1 : 0;
        const int pixels = device.width() * device.height();
        qInfo("scale %g: %d of %d mosaic pixels differ", scale, differing, pixels);
        QVERIFY2(differing * 50 <= pixels, "the two texts can be told apart");

        // The test has teeth: averages of the same blocks tell them apart.
        const int side = qRound(kMosaicBlock * scale);
        int averagesDiffer = 0, blocks = 0;
        for (int top = device.top(); top <= device.bottom(); top += side)
            for (int left = device.left(); left <= device.right(); left += side) {
                const QRect block = QRect(left, top, side, side) & device;
                const auto mean = [&block](const QImage& image) {
                    long long sum = 0;
                    for (int y = block.top(); y <= block.bottom(); ++y)
                        for (int x = block.left(); x <= block.right(); ++x)
                            sum += qGray(image.pixel(x, y));
                    return sum / (block.width() * block.height());
                };
                ++blocks;
                averagesDiffer += std::abs(mean(a) - mean(b)) > 2 ? 1 : 0;
            }
        QVERIFY2(averagesDiffer * 4 >= blocks, "the texts are too alike to show anything");
    }
}

void MarksTest::mosaicShowsTheMarksUnderIt() {
    MarkedPicture picture(kScreen, Plain(1));
    picture.add(MakeMark(MarkKind::Rectangle, {QPointF(0, 0), QPointF(200, 150)}, 8));
    picture.add(MakeMark(MarkKind::Mosaic, {QPointF(0, 0), QPointF(16, 16)}));
    // The first block holds 4 × 8 red pixels of the frame's 8 × 8: red blends in.
    const QRgb block = picture.image().pixel(0, 0);
    QVERIFY(qRed(block) > qGreen(block));
    QCOMPARE(picture.image().pixel(7, 7), block);
}

void MarksTest::numberMarkers_data() {
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("digit"); // the colour that stands out against it
    QTest::newRow("red at scale 1") << 1.0 << QColor(kRed) << QColor(Qt::white);
    QTest::newRow("red at scale 2") << 2.0 << QColor(kRed) << QColor(Qt::white);
    QTest::newRow("yellow at scale 2") << 2.0 << QColor(0xFF, 0xD6, 0x00) << QColor(Qt::black);
}

void MarksTest::numberMarkers() {
    QFETCH(qreal, scale);
    QFETCH(QColor, colour);
    QFETCH(QColor, digit);
    const QPointF centre(100, 75);
    const qreal radius = MarkerDiameter(4) / 2;
    const QImage image =
        Render(MakeMark(MarkKind::Number, {centre}, 4, QStringLiteral("7"), colour), scale);
    // Filled to its rim in every direction, at its size in device pixels.
    for (const QPointF direction :
         {QPointF(1, 1), QPointF(-1, 1), QPointF(1, -1), QPointF(-1, -1)}) {
        const QPointF unit = direction / std::sqrt(2.0);
        const QPointF inside = centre + unit * (radius - 1.5);
        const QPointF outside = centre + unit * (radius + 1.5);
        QCOMPARE(QColor(At(image, inside.x(), inside.y(), scale)), colour);
        QCOMPARE(At(image, outside.x(), outside.y(), scale), kGrey);
    }
    // The number in the middle, in the contrasting colour.
    int digitPixels = 0;
    for (qreal y = centre.y() - radius / 2; y < centre.y() + radius / 2; y += 0.5 / scale)
        for (qreal x = centre.x() - radius / 2; x < centre.x() + radius / 2; x += 0.5 / scale)
            digitPixels += Distance(At(image, x, y, scale), digit.rgb()) < 40 ? 1 : 0;
    QVERIFY2(digitPixels > 10 * scale * scale, qPrintable(QString::number(digitPixels)));
}

void MarksTest::highlighterKeepsTextReadable_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 2") << 2.0;
}

void MarksTest::highlighterKeepsTextReadable() {
    QFETCH(qreal, scale);
    // White paper with a line of black "text" across it.
    const QImage page = Painted(scale, [](QPainter& painter) {
        painter.fillRect(kScreen, Qt::white);
        painter.fillRect(QRectF(30, 49, 140, 2), Qt::black);
    });
    const QColor yellow(0xFF, 0xD6, 0x00);
    const QImage image =
        Render(MakeMark(MarkKind::Highlighter, {QPointF(20, 50), QPointF(180, 50)}, 4, {}, yellow),
               scale, page);
    // The paper takes a light yellow, the text stays black.
    const QRgb tint = At(image, 100, 46, scale);
    QVERIFY2(Distance(tint, qRgb(255, 230, 102)) <= 3, qPrintable(QColor(tint).name()));
    QCOMPARE(At(image, 100, 50, scale), kBlack);
    QCOMPARE(At(image, 100, 58, scale), kWhite);
    // Three times the line width across, in device pixels.
    int across = 0;
    for (int y = 0; y < image.height(); ++y)
        across += Distance(image.pixel(int(100 * scale), y), kWhite) > 64 ? 1 : 0;
    const qreal expected = HighlighterWidth(4) * scale;
    QVERIFY2(std::abs(across - expected) <= 1, qPrintable(QString::number(across)));
}

void MarksTest::blurGrowsWithTheScale() {
    // Black left of x = 100, white right of it; the blur across that edge.
    std::vector<int> spans;
    for (const qreal scale : {1.0, 2.0}) {
        const QImage halves = Painted(scale, [](QPainter& painter) {
            painter.fillRect(QRectF(0, 0, 100, 150), Qt::black);
            painter.fillRect(QRectF(100, 0, 100, 150), Qt::white);
        });
        const QImage image =
            Render(MakeMark(MarkKind::Blur, {QPointF(50, 20), QPointF(150, 80)}), scale, halves);
        // Outside the rectangle nothing changes, inside it the edge softens,
        // and far from the edge the colours stay as they were, up to the
        // rectangle's own edges.
        QCOMPARE(At(image, 99.5, 10.5, scale), kBlack);
        QCOMPARE(At(image, 100.5, 85.5, scale), kWhite);
        QCOMPARE(At(image, 50.5, 50.5, scale), kBlack);
        QCOMPARE(At(image, 149.5, 50.5, scale), kWhite);
        const int edge = qGray(At(image, 99.5, 50.5, scale));
        QVERIFY2(edge > 40 && edge < 215, qPrintable(QString::number(edge)));
        int span = 0;
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, int(50 * scale)));
            span += grey > 8 && grey < 247 ? 1 : 0;
        }
        spans.push_back(span);
    }
    // Twice the device pixels at twice the scale: it looks the same.
    QVERIFY2(std::abs(spans[1] - 2 * spans[0]) <= 2,
             qPrintable(QStringLiteral("%1 and %2").arg(spans[0]).arg(spans[1])));
    QVERIFY(spans[0] >= 2 * BlurRadius(4));
}

void MarksTest::markOffTheScreenLeavesItsPictureShared() {
    const QImage base = Plain(2);
    MarkedPicture picture(kScreen, base);
    QVERIFY(!picture.add(MakeMark(MarkKind::Rectangle, {QPointF(300, 20), QPointF(400, 80)})));
    QVERIFY(picture.image().constBits() == base.constBits());
    QVERIFY(picture.add(MakeMark(MarkKind::Rectangle, {QPointF(190, 20), QPointF(400, 80)})));
    QVERIFY(picture.image().constBits() != base.constBits());
    QCOMPARE(picture.image().devicePixelRatio(), 2.0);
}

void MarksTest::redrawStartsFromTheGrab() {
    const QImage base = Pattern(2);
    const Mark a = MakeMark(MarkKind::Rectangle, {QPointF(20, 20), QPointF(120, 80)});
    const Mark b = MakeMark(MarkKind::Mosaic, {QPointF(10, 10), QPointF(60, 60)});
    MarkedPicture picture(kScreen, base);
    picture.add(a);
    picture.add(b);
    picture.redraw({a});
    QCOMPARE(picture.image(), Render(a, 2, base));
    picture.redraw({});
    QVERIFY(picture.image().constBits() == base.constBits());
}

void MarksTest::marksLandOnEveryScreenAtItsScale() {
    // Two screens side by side, the right one at scale 2; a rectangle across
    // the seam is drawn on both, each at its own scale.
    MarkedPicture left(kScreen, Plain(1));
    QImage rightBase(QSize(400, 300), QImage::Format_RGB32);
    rightBase.fill(kGrey);
    rightBase.setDevicePixelRatio(2);
    MarkedPicture right(QRect(200, 0, 200, 150), rightBase);
    const Mark mark = MakeMark(MarkKind::Rectangle, {QPointF(150, 40), QPointF(260, 100)});
    QVERIFY(left.add(mark));
    QVERIFY(right.add(mark));
    QCOMPARE(left.image().pixel(170, 40), kRed);
    QCOMPARE(left.image().pixel(170, 45), kGrey);
    // x = 230 logical is device 60 on the right screen; its top line 8 high.
    QCOMPARE(right.image().pixel(60, 76), kRed);
    QCOMPARE(right.image().pixel(60, 83), kRed);
    QCOMPARE(right.image().pixel(60, 84), kGrey);
    QCOMPARE(right.image().pixel(120, 150), kRed); // the right edge at 260
}

QTEST_MAIN(MarksTest)
#include "tst_marks.moc"
