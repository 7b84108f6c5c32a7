#include "app/AppCore.h"
#include "base/Paths.h"
#include "gui/MainWindow.h"
#include "gui/frmOptions.h"
#include "util/TestWorkspace.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace vh;
using base::Setting;

// The rules behind the controls are tested in base; here the controls' wiring to them and to the settings.
class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsReachTheSettings();
    void preferencesSequenceWaitsForTheWindow();
};

namespace {
struct Fixture
{
    test::TestWorkspace ws;
    app::AppCore core;
    QLineEdit completion;

    explicit Fixture(const QByteArray& settingsFile = QByteArray())
    {
        core.workspace().setBaseFolder(ws.base());
        if (!settingsFile.isEmpty())
            ws.write(base::Paths::SettingsFile, settingsFile);
    }
};

template <typename T> T* child(QWidget& w, const char* name)
{
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
} // namespace

void TestPreferences::controlsReachTheSettings()
{
    Fixture f("s1:1\r\ns4:0\r\ns15:12\r\ns28:1\r\ns8:2\r\ns18:15\r\n");
    f.core.LoadSettings();
    f.core.applyDiscoveryTimer();
    QVERIFY(f.core.discoveryTimer().isActive());
    auto* w = new gui::frmOptions(f.core, &f.completion, nullptr);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    auto* check1 = child<QCheckBox>(*w, "Check1");
    QTest::mouseClick(child<QCheckBox>(*w, "Check4"), Qt::LeftButton);
    QVERIFY(!check1->isEnabled() && check1->isChecked());
    QTest::mouseClick(child<QCheckBox>(*w, "Check4"), Qt::LeftButton);
    QVERIFY(check1->isEnabled());
    auto* text4 = child<QLineEdit>(*w, "Text4");
    text4->setText(QStringLiteral("500"));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(text4, &out);
    QCOMPARE(text4->text(), QStringLiteral("120"));
    child<QSlider>(*w, "Slider1")->setValue(40);
    QCOMPARE(child<QLabel>(*w, "Label2")->text(),
             QStringLiteral("Used treads for downloading Screenshots: 40 (1 to 40)"));
    QVERIFY(child<QRadioButton>(*w, "Option2")->isChecked());
    QTest::mouseClick(child<QCheckBox>(*w, "Check16"), Qt::LeftButton);
    child<QRadioButton>(*w, "Option3")->setChecked(true);
    child<QLineEdit>(*w, "Text15")->setText(QStringLiteral("/usr/bin/browser"));
    QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);

    // closing writes the settings and stops the discovery the window switched off
    QCOMPARE(f.completion.text(), QStringLiteral("prefdone"));
    QVERIFY(!f.core.discoveryTimer().isActive());
    const QByteArray file = f.ws.read(base::Paths::SettingsFile);
    for (const QByteArray line :
         {"\r\ns15:40\r\n", "\r\ns28:0\r\n", "\r\ns8:3\r\n", "\r\ns18:15\r\n", "\r\ns25:/usr/bin/browser\r\n"})
        QVERIFY2(file.contains(line), line.constData());
}

void TestPreferences::preferencesSequenceWaitsForTheWindow()
{
    Fixture f;
    f.core.settings().setValue(Setting::DownloadedCount, QStringLiteral("77"));
    gui::MainWindow main(f.core);
    main.show();
    bool disabledWhileOpen = false;
    QTimer::singleShot(50, this, [&] {
        gui::frmOptions* options = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            options = options ? options : qobject_cast<gui::frmOptions*>(w);
        QVERIFY(options);
        disabledWhileOpen = !main.isEnabled();
        // the window opened with the counter saved just before
        QCOMPARE(child<QLineEdit>(*options, "Text2")->text(), QStringLiteral("77"));
        child<QLineEdit>(*options, "Text2")->setText(QStringLiteral("78"));
        options->close();
    });
    main.runPreferences();
    QVERIFY(disabledWhileOpen);
    QVERIFY(main.isEnabled());
    QCOMPARE(f.core.settings().value(Setting::DownloadedCount), QStringLiteral("78"));
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
