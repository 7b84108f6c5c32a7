#include "cli/GalleryServer.h"
#include "gallery/SiteFixture.h"
#include "review/cGammaCorrect.h"
#include "util/HeadlessChromium.h"
#include "util/PngBuilder.h"
#include "util/SampleEntries.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

using namespace vh;

namespace {

QByteArray png()
{
    return test::PngBuilder(48, 32, test::PngBuilder::ColourType::Rgb, 8,
                            [](int x, int y) {
                                return QList<quint16>{quint16(x * 5), quint16(y * 7), quint16((x + y) % 256)};
                            })
        .build();
}

// One entry and its picture, served on a free loopback port.
struct Gallery
{
    explicit Gallery(const QByteArray& token = {}, bool remote = false)
    {
        server.setTreatAsRemote(remote);
        port = server.start(QHostAddress::LocalHost, 0, token).value;
    }

    // The whole answer to a request written by hand: a client would join repeated headers itself.
    QByteArray get(const QByteArray& target, const QByteArray& headerLines = {})
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headerLines + "\r\n");
        QByteArray answer;
        (void)QTest::qWaitFor(
            [&] {
                answer += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            10000);
        return answer;
    }

    test::SiteFixture fixture{{test::sampleEntry(1)}, {png()}};
    cli::GalleryServer server{fixture.site};
    quint16 port = 0;
};

} // namespace

class TestGalleryServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestsReachTheSite()
    {
        QCOMPARE(Gallery({}, true).port, 0); // other machines would reach it without a token
        Gallery g("s3c ret;", true);
        QVERIFY(g.port != 0);
        QVERIFY(g.get("/picture/1").startsWith("HTTP/1.1 401 "));
        const QByteArray picture = g.get("/picture/1", "Authorization: Bearer s3c ret;\r\n");
        QVERIFY(picture.startsWith("HTTP/1.1 200 ") && picture.contains("\r\nContent-Type: image/png\r\n"));
        QVERIFY(picture.endsWith("\r\n\r\n" + png()));
        QVERIFY(
            g.get("/entry/1", "Cookie: a=b\r\nCookie: varnholt_token=s3c%20ret%3B\r\n").startsWith("HTTP/1.1 200 "));
    }

    // The slider's first position brightens the picture in the page's own script, allowed by its policy.
    void entryPageInBrowser()
    {
        if (test::HeadlessChromium::executable().isEmpty())
            QSKIP("chromium is not installed");
        Gallery g;
        const test::HeadlessChromium::Page page =
            test::HeadlessChromium::open(QUrl(QStringLiteral("http://127.0.0.1:%1/entry/1?gamma=1").arg(g.port)), 1000);
        QVERIFY2(page.ran, qPrintable(page.problem));
        QVERIFY2(page.console.isEmpty(), qPrintable(page.console.join(QLatin1Char('\n'))));
        const QRegularExpression shown(QStringLiteral("<img [^>]*src=\"data:image/png;base64,([^\"]*)\""));
        const QImage corrected = QImage::fromData(QByteArray::fromBase64(shown.match(page.dom).captured(1).toLatin1()));
        const QImage original = QImage::fromData(png());
        QCOMPARE(corrected.size(), original.size());
        review::cGammaCorrect table;
        table.gamma(4.6);
        const auto& t = table.redTable(); // the three tables are one
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                const QRgb a = original.pixel(x, y);
                QCOMPARE(corrected.pixel(x, y), qRgb(t[qRed(a)], t[qGreen(a)], t[qBlue(a)]));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestGalleryServer)
#include "tst_galleryserver.moc"
