#include "program.h"

#include "dd.h"
#include "fonts.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "fres.h"
#include "picture.h"
#include "pictures.h"
#include "runtime.h"

#include <QApplication>

// Outside any namespace, as the resource initialiser requires.
static void initResources()
{
    Q_INIT_RESOURCE(assets);
}

Program::Program(ResultsFile resultsFile) : m_resultsFile(std::move(resultsFile))
{
    loadPictures();
    installFontSubstitutions();
}

void Program::loadPictures()
{
    initResources();
    QApplication::setWindowIcon(Picture::loadIcon(QString::fromUtf8(Pictures::ToyMouse)));
}

// Windows go before the course window: their handlers may still address it.
Program::~Program()
{
    m_fres.reset();
    m_dd.reset();
    m_form4.reset();
    m_form3.reset();
    m_form2.reset();
    m_form1.reset();
}

void Program::start()
{
    Runtime::dispatch([this] { form1().show(); });
}

template <class T, class Argument> static T &instance(std::unique_ptr<T> &slot, Argument &argument)
{
    if (!slot)
        slot = std::make_unique<T>(argument);
    return *slot;
}

Form1 &Program::form1()
{
    return instance(m_form1, *this);
}

Form2 &Program::form2()
{
    return instance(m_form2, *this);
}

Form3 &Program::form3()
{
    return instance(m_form3, *this);
}

// The games write their scores into the course state: the course window is made first.
Form4 &Program::form4()
{
    return instance(m_form4, form1().G1);
}

DD &Program::dd()
{
    return instance(m_dd, form1().G2);
}

FRes &Program::fres()
{
    return instance(m_fres, *this);
}
