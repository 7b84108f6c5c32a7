#include "app/AppCore.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gui/FieldBox.h"
#include "gui/MainWindow.h"
#include "gui/PictureBox.h"
#include "gui/ReviewControls.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QtTest>

using namespace vh;
using gui::MainWindow;
using test::TestWorkspace;

namespace {

// A screenshot whose pixels encode their position in even channel values, which the neutral gamma keeps.
QByteArray screenshotPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 2) % 256, (y * 2) % 256, (x / 128) * 2));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// A workspace with count sample entries, their PNGs in the vault, and the given settings lines.
void prepare(const TestWorkspace& ws, int count, const QList<int>& cheating = {}, const QByteArray& settings = {},
             QSize shot = QSize(660, 575))
{
    ws.write(QStringLiteral("data/Links.dat"), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    ws.write(QStringLiteral("data/Settings.dat"), "s18:5\r\n" + settings);
    database::Database db;
    const QByteArray png = screenshotPng(shot.width(), shot.height());
    for (int i = 1; i <= count; ++i) {
        database::ScreenshotEntry e = test::sampleEntry(i);
        e.Cheating = cheating.contains(i);
        db.append(e);
        ws.write(base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) + QStringLiteral(".png"),
                 png);
    }
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(db));
}

struct Harness
{
    app::AppCore core;
    MainWindow window{core};

    explicit Harness(const TestWorkspace& ws)
    {
        window.setMessagePresenter([](const QString&) {});
        window.setProcessEnder([](int) {});
        if (!window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1280))
            qFatal("start-up refused");
    }
    template <typename T> T* find(const char* name) const
    {
        auto* w = window.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    QString label1() const { return find<QLabel>("Label1")->text(); }
    QString newestLog() { return core.log().index(0).data().toString().section(QStringLiteral(" : "), 1); }
};

} // namespace

class TestReviewWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startupShowsEntries_data();
    void startupShowsEntries();
    void jumpsStopAtBothEnds();
    void slideshowOnTheLastEntryStops();
    void displayModes_data();
    void displayModes();
    void copyGuid();
    void deleteShowsTheNextEntry();
};

void TestReviewWindow::startupShowsEntries_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("label");
    QTest::newRow("no entries") << 0 << QStringLiteral("PBSS");
    QTest::newRow("one entry") << 1 << QStringLiteral("PBSS 1");
}

void TestReviewWindow::startupShowsEntries()
{
    QFETCH(int, count);
    QFETCH(QString, label);
    TestWorkspace ws;
    prepare(ws, count, {}, "s19:7\r\n");
    Harness h(ws);
    QCOMPARE(h.label1(), label);
    QVERIFY(!h.find<QSlider>("Slider1")->isEnabled());
    QCOMPARE(h.find<gui::PictureBox>("Picture1")->image().isNull(), count == 0);
    QCOMPARE(h.find<gui::FieldBox>("txtFields7")->fullText(), count == 0 ? QString() : QStringLiteral("Player000001"));
    QCOMPARE(h.window.statusPanel(1)->text(), QStringLiteral("Downloaded PBSS: 7"));
}

void TestReviewWindow::jumpsStopAtBothEnds()
{
    TestWorkspace ws;
    prepare(ws, 4, {1, 3});
    Harness h(ws);
    auto* slider = h.find<QSlider>("Slider1");
    h.find<QPushButton>("CheatLeft")->click();
    QCOMPARE(slider->value(), 1);
    h.find<QPushButton>("CheatRight")->click();
    QCOMPARE(slider->value(), 3);
    QCOMPARE(h.label1(), QStringLiteral("PBSS 3"));
    h.find<QPushButton>("CheatRight")->click();
    QCOMPARE(slider->value(), 3);
    slider->setValue(4);
    QCOMPARE(h.find<gui::FieldBox>("txtFields7")->fullText(), QStringLiteral("Player000004"));
}

void TestReviewWindow::slideshowOnTheLastEntryStops()
{
    TestWorkspace ws;
    prepare(ws, 2);
    Harness h(ws);
    h.find<QSlider>("Slider1")->setValue(2);
    h.find<QAction>("MnuPlaySlideShow")->trigger();
    QCOMPARE(h.newestLog(), QStringLiteral("Slideshow started"));
    QTRY_COMPARE_WITH_TIMEOUT(h.newestLog(), QStringLiteral("Slideshow stopped"), 3000);
    QCOMPARE(h.label1(), QStringLiteral("PBSS 2"));
}

void TestReviewWindow::displayModes_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QSize>("shot");
    QTest::addColumn<QSize>("drawn");
    QTest::addColumn<QPoint>("origin"); // the screenshot pixel at the view's (0, 0)
    QTest::newRow("mode 3 in a 400-wide view")
        << QByteArray("3") << QSize(660, 575) << QSize(400, 300) << QPoint(10, 10);
    QTest::newRow("mode 2 of a 1000-wide shot")
        << QByteArray("2") << QSize(1000, 800) << QSize(640, 480) << QPoint(180, 10);
}

void TestReviewWindow::displayModes()
{
    QFETCH(QByteArray, mode);
    QFETCH(QSize, shot);
    QFETCH(QSize, drawn);
    QFETCH(QPoint, origin);
    TestWorkspace ws;
    prepare(ws, 1, {}, "s8:" + mode + "\r\n", shot);
    Harness h(ws);
    QScrollArea* area = h.window.reviewControls()->pictureArea();
    area->setFixedWidth(400 + area->width() - area->viewport()->width());
    QTRY_COMPARE(area->viewport()->width(), 400);
    const QImage view = h.find<gui::PictureBox>("Picture1")->image();
    QCOMPARE(view.size(), drawn);
    const QRgb expected = qRgb((origin.x() * 2) % 256, (origin.y() * 2) % 256, (origin.x() / 128) * 2);
    QCOMPARE(view.pixel(0, 0), expected);
}

void TestReviewWindow::copyGuid()
{
    TestWorkspace ws;
    prepare(ws, 2);
    Harness h(ws);
    h.find<QSlider>("Slider1")->setValue(2);
    h.find<QAction>("MnuCopyGuid")->trigger();
    const QString guid = QString::fromLatin1(test::sampleEntry(2).GUID);
    QCOMPARE(QGuiApplication::clipboard()->text(), guid);
    QCOMPARE(h.newestLog(), guid + QStringLiteral(" placed in clipboard"));
}

void TestReviewWindow::deleteShowsTheNextEntry()
{
    TestWorkspace ws;
    prepare(ws, 3);
    Harness h(ws);
    h.find<QSlider>("Slider1")->setValue(2);
    h.find<QPushButton>("Command2")->click();
    QCOMPARE(h.label1(), QStringLiteral("PBSS 2"));
    QCOMPARE(h.find<gui::FieldBox>("txtFields7")->fullText(), QStringLiteral("Player000003"));
    QCOMPARE(h.find<QSlider>("Slider1")->maximum(), 2);
}

QTEST_MAIN(TestReviewWindow)
#include "tst_reviewwindow.moc"
