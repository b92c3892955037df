// Counts whose shares do not divide exactly: there single- and
// double-precision steps differ, and a percentage cut to whole numbers or to
// single precision shows.

#include "ui/progress_figures.h"

#include <QtTest>

#include <tuple>

using namespace Qt::StringLiterals;

class ProgressFiguresTest : public QObject {
    Q_OBJECT

private slots:
    // Of a bar 2415 twips wide, as the window lays it out.
    void barAndPercentage() {
        const std::tuple<int, int, QString, float, QString> figures[] = {
            {2, 3, u","_s, 1610.0f, u"66,6666666666667%"_s},
            {13, 40000, u"."_s, 0.784875035f, u"0.0325%"_s},
            {40000, 40000, u"."_s, 2415.0f, u"100%"_s}};
        for (const auto& [done, total, decimalPoint, width, percentage] : figures) {
            // Exactly: QCOMPARE would let floats differ in their last digits.
            const float actual = quillmere::progressBarWidth(2415.0f, done, total);
            QVERIFY2(actual == width, qPrintable(QString::number(actual, 'g', 9)));
            QCOMPARE(quillmere::percentageText(done, total, decimalPoint), percentage);
        }
    }
};

QTEST_APPLESS_MAIN(ProgressFiguresTest)
#include "progress_figures_test.moc"
