#include "app/AppCore.h"
#include "base/Paths.h"
#include "gui/MainWindow.h"
#include "gui/frmOptions.h"
#include "util/TestWorkspace.h"

#include <QCheckBox>
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
    child<QSlider>(*w, "Slider1")->setValue(40);
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

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
