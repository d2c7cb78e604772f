#include "form1.h"
#include "label.h"
#include "menuitem.h"
#include "testsession.h"
#include "usermouse.h"

#include <QMainWindow>
#include <QTest>

class CourseTest : public QObject
{
    Q_OBJECT

private slots:
    void namePromptComesBeforeTheWindow();
};

void CourseTest::namePromptComesBeforeTheWindow()
{
    TestSession session;
    bool shownDuringPrompt = true;
    session.dialogs.onAsk([&](const AskedBox &) {
        shownDuringPrompt = session.program().form1().isShown();
    });
    session.start(QStringLiteral("Аня"));
    QCOMPARE(session.dialogs.asked(),
             QList<AskedBox>{ScriptedDialogs::input(QStringLiteral("Введите Ваше имя, пожалуйста"),
                                                    QStringLiteral("Пользователь"))});
    QVERIFY(!shownDuringPrompt);
    Form1 &form = session.program().form1();
    QVERIFY(form.isShown());
    QCOMPARE(form.Nam, QStringLiteral("Аня"));
    QCOMPARE(form.Tasks, QStringLiteral("D"));
}

QTEST_MAIN(CourseTest)
#include "tst_course.moc"
