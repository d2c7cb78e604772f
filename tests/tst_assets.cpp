#include "program.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>
#include <QtEndian>

// The pictures drawn for the program, read back through the resource system the program uses.
class AssetsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void icons_data();
    void icons();
    void portrait();
};

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 word(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

void AssetsTest::initTestCase()
{
    // The program registers its resources when it starts.
    Program program;
}

void AssetsTest::icons_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path :
         {":/toymouse.ico", ":/mouse_white_tilted.ico", ":/mouse_grey_tilted.ico",
          ":/mouse_upright.ico", ":/flags/denmark.ico", ":/flags/finland.ico",
          ":/flags/germany.ico", ":/flags/italy.ico", ":/flags/japan.ico", ":/flags/norway.ico",
          ":/flags/russia.ico", ":/flags/sweden.ico", ":/flags/turkey.ico",
          ":/flags/united_kingdom.ico", ":/flags/canada.ico", ":/flags/usa.ico"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

// Each icon file holds a 32 x 32 and a 16 x 16 image of 16 colours, drawn on a transparent
// background.
void AssetsTest::icons()
{
    QFETCH(QString, path);
    const QByteArray bytes = resourceBytes(path);
    QVERIFY2(bytes.size() > 6, "the icon is not in the resources");

    // The icon directory: reserved 0, type 1 (icon), two entries of 16 bytes each.
    QCOMPARE(word(bytes, 0), 0);
    QCOMPARE(word(bytes, 2), 1);
    QCOMPARE(word(bytes, 4), 2);
    QSet<int> declaredSizes;
    for (int entry = 0; entry < 2; ++entry) {
        const qsizetype at = 6 + 16 * entry;
        const int width = quint8(bytes[at]);
        QCOMPARE(int(quint8(bytes[at + 1])), width); // square
        QCOMPARE(int(quint8(bytes[at + 2])), 16);    // colours in the palette
        QCOMPARE(word(bytes, at + 6), 4);            // bits per pixel
        declaredSizes.insert(width);
    }
    QCOMPARE(declaredSizes, (QSet<int>{32, 16}));

    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), 2);
    QSet<int> readSizes;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        readSizes.insert(image.width());

        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    ++transparent;
                else
                    colours.insert(pixel);
            }
        }
        QVERIFY2(colours.size() >= 2 && colours.size() <= 16,
                 qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
        QVERIFY2(transparent > 0, "no transparent background");
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
    QCOMPARE(readSizes, (QSet<int>{32, 16}));
}

// The portrait: a 69 x 64 interlaced GIF87a with a 256-colour global palette.
void AssetsTest::portrait()
{
    const QString path = QStringLiteral(":/portrait.gif");
    const QByteArray bytes = resourceBytes(path);
    QVERIFY2(bytes.size() > 13 + 768, "the portrait is not in the resources");
    QVERIFY(bytes.startsWith("GIF87a"));
    QCOMPARE(word(bytes, 6), 69);
    QCOMPARE(word(bytes, 8), 64);
    const auto screenFlags = quint8(bytes[10]);
    QVERIFY2(screenFlags & 0x80, "no global colour table");
    QCOMPARE(screenFlags & 0x07, 7); // 2^(7+1) = 256 entries

    // Past the header and the palette: skip any extension blocks up to the image descriptor.
    qsizetype at = 13 + 3 * 256;
    while (at < bytes.size() && quint8(bytes[at]) == 0x21) {
        at += 2;
        while (at < bytes.size() && quint8(bytes[at]) != 0)
            at += 1 + quint8(bytes[at]);
        ++at;
    }
    QVERIFY2(at + 10 <= bytes.size(), "no image descriptor");
    QCOMPARE(quint8(bytes[at]), quint8(0x2C));
    QCOMPARE(word(bytes, at + 5), 69);
    QCOMPARE(word(bytes, at + 7), 64);
    QVERIFY2(quint8(bytes[at + 9]) & 0x40, "the image is not interlaced");

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("gif"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(69, 64));
}

QTEST_MAIN(AssetsTest)
#include "tst_assets.moc"
