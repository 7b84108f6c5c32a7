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

// The review logic is tested on the session; here only that the window's controls reach it and show its state.
class TestReviewWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsReachTheSession();
};

void TestReviewWindow::controlsReachTheSession()
{
    test::TestWorkspace ws;
    ws.write(QStringLiteral("data/Links.dat"), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    ws.write(QStringLiteral("data/Settings.dat"), "s18:5\r\ns19:7\r\ns8:3\r\n");
    QImage shot(660, 575, QImage::Format_RGB32);
    shot.fill(qRgb(2, 4, 6));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    shot.save(&buffer, "PNG");
    database::Database db;
    for (int i = 1; i <= 4; ++i) {
        database::ScreenshotEntry e = test::sampleEntry(i);
        e.Cheating = i == 1 || i == 3;
        db.append(e);
        ws.write(base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(e.VaultName) + QStringLiteral(".png"),
                 png);
    }
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(db));
    app::AppCore core;
    gui::MainWindow window(core);
    window.setMessagePresenter([](const QString&) {});
    window.setProcessEnder([](int) {});
    QVERIFY(window.Startup(QStringLiteral("/x/Varnholt"), ws.base(), 1280));
    auto find = [&](const char* name) {
        QObject* o = window.findChild<QObject*>(QLatin1String(name));
        if (!o)
            qFatal("no %s", name);
        return o;
    };
    auto* slider = qobject_cast<QSlider*>(find("Slider1"));
    auto* label = qobject_cast<QLabel*>(find("Label1"));
    auto* player = qobject_cast<gui::FieldBox*>(find("txtFields7"));
    const auto newestLog = [&] { return core.log().index(0).data().toString().section(QStringLiteral(" : "), 1); };
    QCOMPARE(label->text(), QStringLiteral("PBSS 1"));
    QCOMPARE(window.statusPanel(1)->text(), QStringLiteral("Downloaded PBSS: 7"));

    // the picture is drawn for the width of the view it sits in (display mode 3)
    QScrollArea* area = window.reviewControls()->pictureArea();
    area->setFixedWidth(400 + area->width() - area->viewport()->width());
    QTRY_COMPARE(qobject_cast<gui::PictureBox*>(find("Picture1"))->image().size(), QSize(400, 300));

    qobject_cast<QPushButton*>(find("CheatRight"))->click();
    QCOMPARE(slider->value(), 3);
    QCOMPARE(label->text(), QStringLiteral("PBSS 3"));
    qobject_cast<QPushButton*>(find("CheatLeft"))->click();
    QCOMPARE(slider->value(), 1);
    slider->setValue(2);
    QCOMPARE(player->fullText(), QStringLiteral("Player000002"));

    qobject_cast<QAction*>(find("MnuCopyGuid"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(test::sampleEntry(2).GUID));

    qobject_cast<QPushButton*>(find("Command2"))->click(); // delete
    QCOMPARE(player->fullText(), QStringLiteral("Player000003"));
    QCOMPARE(slider->maximum(), 3);

    slider->setValue(3);
    qobject_cast<QAction*>(find("MnuPlaySlideShow"))->trigger();
    QCOMPARE(newestLog(), QStringLiteral("Slideshow started"));
    QTRY_COMPARE_WITH_TIMEOUT(newestLog(), QStringLiteral("Slideshow stopped"), 3000);
}

QTEST_MAIN(TestReviewWindow)
#include "tst_reviewwindow.moc"
