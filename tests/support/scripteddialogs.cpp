#include "scripteddialogs.h"

#include <QTest>

QList<AskedBox> ScriptedDialogs::takeAsked()
{
    QList<AskedBox> asked;
    asked.swap(m_asked);
    return asked;
}

int ScriptedDialogs::messageBox(const QString &prompt, int style, const QString &title)
{
    m_asked.append(message(prompt, style, title));
    if (m_hook)
        m_hook(m_asked.last());
    return m_messageAnswers.isEmpty() ? BoxAnswer::Ok : m_messageAnswers.takeFirst();
}

QString ScriptedDialogs::inputBox(const QString &prompt, const QString &title)
{
    m_asked.append(input(prompt, title));
    if (m_hook)
        m_hook(m_asked.last());
    return m_inputAnswers.isEmpty() ? QString() : m_inputAnswers.takeFirst();
}

AskedBox ScriptedDialogs::message(const QString &prompt, int style, const QString &title)
{
    return {AskedBox::Kind::Message, prompt, style, title};
}

AskedBox ScriptedDialogs::input(const QString &prompt, const QString &title)
{
    return {AskedBox::Kind::Input, prompt, 0, title};
}

char *toString(const AskedBox &box)
{
    const QString text = box.kind == AskedBox::Kind::Input
                             ? QStringLiteral("input(\"%1\", \"%2\")").arg(box.prompt, box.title)
                             : QStringLiteral("message(\"%1\", %2, \"%3\")")
                                   .arg(box.prompt)
                                   .arg(box.style)
                                   .arg(box.title);
    return QTest::toString(text);
}
