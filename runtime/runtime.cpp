#include "runtime.h"

#include "dialogs.h"
#include "form.h"
#include "mixingrandom.h"
#include "qtdialogs.h"
#include "runtimeerror.h"
#include "systemclock.h"

#include <QCoreApplication>
#include <QList>
#include <new>

namespace {

struct State
{
    QtDialogs qtDialogs;
    MixingRandom programRandom;
    SystemClock systemClock;
    Dialogs *dialogs = &qtDialogs;
    Random *random = &programRandom;
    Clock *clock = &systemClock;
    bool ended = false;
    bool manualTimers = false;
    std::function<void()> endAction = [] { QCoreApplication::exit(0); };
    QList<Form *> forms;
};

State &state()
{
    static State s;
    return s;
}

void report(int number, const QString &description)
{
    Runtime::dialogs().messageBox(
        QStringLiteral("Ошибка выполнения %1:\r\n\r\n%2").arg(number).arg(description),
        BoxStyle::ErrorOk, QStringLiteral("Мышь"));
}

} // namespace

Dialogs &Runtime::dialogs()
{
    return *state().dialogs;
}

void Runtime::setDialogs(Dialogs *dialogs)
{
    state().dialogs = dialogs ? dialogs : &state().qtDialogs;
}

Random &Runtime::random()
{
    return *state().random;
}

void Runtime::setRandom(Random *random)
{
    state().random = random ? random : &state().programRandom;
}

Clock &Runtime::clock()
{
    return *state().clock;
}

void Runtime::setClock(Clock *clock)
{
    state().clock = clock ? clock : &state().systemClock;
}

void Runtime::dispatch(const std::function<void()> &handler)
{
    if (state().ended || !handler)
        return;
    try {
        handler();
        return;
    } catch (const ProgramEnded &) {
        return;
    } catch (const RuntimeError &error) {
        report(error.number(), error.description());
    } catch (const std::bad_alloc &) {
        report(7, QStringLiteral("Недостаточно памяти"));
    } catch (const std::exception &error) {
        report(51, QString::fromLocal8Bit(error.what()));
    }
    finish();
}

void Runtime::end()
{
    finish();
    throw ProgramEnded{};
}

void Runtime::finish()
{
    State &s = state();
    if (s.ended)
        return;
    s.ended = true;
    const QList<Form *> forms = s.forms;
    for (Form *form : forms)
        form->unload();
    if (s.endAction)
        s.endAction();
}

bool Runtime::hasEnded()
{
    return state().ended;
}

void Runtime::setEndAction(std::function<void()> action)
{
    state().endAction = std::move(action);
}

void Runtime::restart()
{
    state().ended = false;
}

void Runtime::checkRunning()
{
    if (state().ended)
        throw ProgramEnded{};
}

void Runtime::setManualTimers(bool manual)
{
    state().manualTimers = manual;
}

bool Runtime::manualTimers()
{
    return state().manualTimers;
}

void Runtime::addForm(Form *form)
{
    state().forms.append(form);
}

void Runtime::removeForm(Form *form)
{
    state().forms.removeAll(form);
}

int msgBox(const QString &prompt, int style, const QString &title)
{
    Runtime::checkRunning();
    const int answer = Runtime::dialogs().messageBox(prompt, style, title);
    Runtime::checkRunning();
    return answer;
}

QString inputBox(const QString &prompt, const QString &title)
{
    Runtime::checkRunning();
    QString text = Runtime::dialogs().inputBox(prompt, title);
    Runtime::checkRunning();
    // Whatever box answered: never half of a pair of surrogates.
    if (text.size() > kMaxInputLength)
        text.truncate(kMaxInputLength - (text[kMaxInputLength].isLowSurrogate() ? 1 : 0));
    return text;
}

float rnd()
{
    return Runtime::random().next();
}

void randomize(float seed)
{
    Runtime::random().reseed(seed);
}

float secondsSinceMidnight()
{
    return Runtime::clock().secondsSinceMidnight();
}

void endProgram()
{
    Runtime::end();
}
