// The prompt with a never-show-again option: what the caller reads after a
// sequence of clicks.
#include "core/NeverShowAgainPrompt.h"

#include <QTest>

class TestNeverShowAgainPrompt : public QObject
{
    Q_OBJECT
private slots:
    void answer_data()
    {
        // Events: t tick, u untick, c Continue, x Cancel or Escape, l load.
        QTest::addColumn<QString>("events");
        QTest::addColumn<bool>("clickedContinue");
        QTest::addColumn<bool>("clickedCheckBox");
        QTest::newRow("continue, box untouched") << "c" << true << false;
        QTest::newRow("continue, box ticked") << "tc" << true << true;
        QTest::newRow("tick taken back, cancel") << "tux" << false << false;
        QTest::newRow("tick taken back and given again") << "tutc" << true << true;
        QTest::newRow("cancel with the box ticked") << "tx" << false << true;
        QTest::newRow("clicks after leaving change nothing") << "ctu" << true << false;
        QTest::newRow("second leave changes nothing") << "cx" << true << false;
        QTest::newRow("loading again starts afresh") << "tclx" << false << false;
    }

    void answer()
    {
        QFETCH(QString, events);
        QFETCH(bool, clickedContinue);
        QFETCH(bool, clickedCheckBox);
        NeverShowAgainPrompt prompt;
        prompt.Load();
        for (QChar e : events) {
            switch (e.unicode()) {
            case u't': prompt.chkDontShowAgain_Click(true); break;
            case u'u': prompt.chkDontShowAgain_Click(false); break;
            case u'c': prompt.cmdContinue_Click(); break;
            case u'x': prompt.cmdCancel_Click(); break;
            case u'l': prompt.Load(); break;
            }
        }
        QVERIFY(!prompt.isVisible());
        QCOMPARE(prompt.answer().bClickedContinue, clickedContinue);
        QCOMPARE(prompt.answer().bClickedCheckBox, clickedCheckBox);
    }
};

QTEST_GUILESS_MAIN(TestNeverShowAgainPrompt)
#include "test_never_show_again_prompt.moc"
