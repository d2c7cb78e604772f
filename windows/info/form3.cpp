#include "form3.h"

#include "form3layout.h"
#include "label.h"

namespace {

// The four paragraphs of the rules. The spaces at their starts and ends belong to the text.
constexpr const char *kParagraphs[] = {
    "Вы указываете начальный капитал, который имеется на Вашем счету, и затем можете делать "
    "ставки, не превышающие сумму Вашего счета.",
    " После нажатия на кнопку ПУСК в окнах меняются цифры. По истечению 25 секунд цифры "
    "останавливаются. ",
    " При выпадении трех одинаковых цифр Ваша ставка утраивается, а двух одинаковых - "
    "удваивается. Если все цифры разные, то Вы теряете свои деньги. ",
    " Игра прекращается либо по Вашему желанию, либо при обнулении Вашего счета",
};

// One empty line between neighbouring paragraphs.
constexpr const char *kParagraphBreak = "\r\n\r\n";

} // namespace

Form3::Form3(Program &) : Form(form3Layout()) {}

void Form3::formLoad()
{
    // The whole text is assigned at once, so a reloaded window shows it once, not twice.
    QString rules;
    for (const char *paragraph : kParagraphs) {
        if (!rules.isEmpty())
            rules += QString::fromUtf8(kParagraphBreak);
        rules += QString::fromUtf8(paragraph);
    }
    Label2->setCaption(rules);
}
