#pragma once

#include "dialogs.h"

#include <QList>
#include <QString>
#include <functional>

// A box the program asked for.
struct AskedBox
{
    enum class Kind { Message, Input };
    Kind kind;
    QString prompt;
    int style; // message boxes only
    QString title;

    bool operator==(const AskedBox &) const = default;
};

// Answers the program's boxes from a script and records every box asked for. Without a
// scripted answer a message box answers OK and an input box an empty text.
class ScriptedDialogs : public Dialogs
{
public:
    void answerMessage(int answer) { m_messageAnswers.append(answer); }
    void answerInput(const QString &text) { m_inputAnswers.append(text); }

    const QList<AskedBox> &asked() const { return m_asked; }
    QList<AskedBox> takeAsked();
    // Called while a box is "open", before it answers.
    void onAsk(std::function<void(const AskedBox &)> hook) { m_hook = std::move(hook); }

    int messageBox(const QString &prompt, int style, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title) override;

    static AskedBox message(const QString &prompt, int style, const QString &title);
    static AskedBox input(const QString &prompt, const QString &title);

private:
    QList<int> m_messageAnswers;
    QList<QString> m_inputAnswers;
    QList<AskedBox> m_asked;
    std::function<void(const AskedBox &)> m_hook;
};

// Lets QCOMPARE print boxes.
char *toString(const AskedBox &box);
