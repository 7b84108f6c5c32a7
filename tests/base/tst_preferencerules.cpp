#include "base/PreferenceRules.h"

#include <QtTest>

namespace Rules = vh::base::PreferenceRules;

class TestPreferenceRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validations_data();
    void validations();
    void slotsIntoControls_data();
    void slotsIntoControls();
};

void TestPreferenceRules::validations_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text4");
    QTest::addColumn<QString>("text5");
    QTest::newRow("5") << QStringLiteral("5") << QStringLiteral("10") << QStringLiteral("10");
    QTest::newRow("60 stays") << QStringLiteral("60") << QStringLiteral("60") << QStringLiteral("60");
    QTest::newRow("121") << QStringLiteral("121") << QStringLiteral("120") << QStringLiteral("121");
    QTest::newRow("empty") << QString() << QStringLiteral("10") << QStringLiteral("10");
    QTest::newRow("not a number stays") << QStringLiteral("abc") << QStringLiteral("abc") << QStringLiteral("abc");
}

void TestPreferenceRules::validations()
{
    QFETCH(QString, typed);
    QFETCH(QString, text4);
    QFETCH(QString, text5);
    QCOMPARE(Rules::validateBanlistInterval(typed), text4);
    QCOMPARE(Rules::validatePerServerLimit(typed), text5);
}

void TestPreferenceRules::slotsIntoControls_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("check");  // -1: refused
    QTest::addColumn<int>("slider"); // within 1 to 40, -1: refused
    QTest::addColumn<QString>("error");
    QTest::newRow("ticked") << QStringLiteral("1") << 1 << 1 << QString();
    QTest::newRow("greyed") << QStringLiteral("2") << 2 << 2 << QString();
    QTest::newRow("unticked") << QStringLiteral("0") << 0 << -1 << QStringLiteral("Invalid property value");
    QTest::newRow("empty") << QString() << -1 << -1 << QStringLiteral("Type mismatch");
    QTest::newRow("40") << QStringLiteral("40") << -1 << 40 << QStringLiteral("Invalid property value");
    QTest::newRow("41") << QStringLiteral("41") << -1 << -1 << QStringLiteral("Invalid property value");
}

void TestPreferenceRules::slotsIntoControls()
{
    QFETCH(QString, slot);
    QFETCH(int, check);
    QFETCH(int, slider);
    QFETCH(QString, error);
    const vh::base::Checked<int> state = Rules::checkStateFromSlot(slot);
    const vh::base::Checked<int> value = Rules::sliderValueFromSlot(slot, 1, 40);
    QCOMPARE(state.ok() ? state.value : -1, check);
    QCOMPARE(value.ok() ? value.value : -1, slider);
    if (!state.ok())
        QCOMPARE(state.problems, QStringList{error});
    if (!value.ok())
        QCOMPARE(value.problems, QStringList{error});
}

QTEST_GUILESS_MAIN(TestPreferenceRules)
#include "tst_preferencerules.moc"
