// The bar's width and the percentage text of a build, for counts whose
// shares do not divide exactly: there single- and double-precision steps
// differ, and a percentage cut to whole numbers or to single precision shows.

#include "ui/progress_figures.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class ProgressFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void barAndPercentage_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<float>("width");
        QTest::addColumn<QString>("percentage");
        QTest::addRow("1 of 3") << 1 << 3 << u"."_s << 805.0f << u"33.3333333333333%"_s;
        QTest::addRow("2 of 3, comma") << 2 << 3 << u","_s << 1610.0f << u"66,6666666666667%"_s;
        QTest::addRow("1 of 7") << 1 << 7 << u"."_s << 345.0f << u"14.2857142857143%"_s;
        QTest::addRow("5 of 9") << 5 << 9 << u"."_s << 1341.66675f << u"55.5555555555556%"_s;
        QTest::addRow("7 of 13") << 7 << 13 << u"."_s << 1300.38452f << u"53.8461538461538%"_s;
        QTest::addRow("13 of 40000") << 13 << 40000 << u"."_s << 0.784875035f << u"0.0325%"_s;
        QTest::addRow("all of 40000") << 40000 << 40000 << u"."_s << 2415.0f << u"100%"_s;
    }

    // The full width of the bar is 2415 twips, as the window lays it out.
    void barAndPercentage() {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(QString, decimalPoint);
        QFETCH(float, width);
        QFETCH(QString, percentage);
        // Exactly: QCOMPARE would let floats differ in their last digits.
        const float actual = quillmere::progressBarWidth(2415.0f, done, total);
        QVERIFY2(actual == width, qPrintable(QString::number(actual, 'g', 9)));
        QCOMPARE(quillmere::percentageText(done, total, decimalPoint), percentage);
    }
};

QTEST_APPLESS_MAIN(ProgressFiguresTest)
#include "progress_figures_test.moc"
