#include "form2.h"

#include "form2layout.h"
#include "label.h"

namespace {

constexpr const char *kHeading = "Автор программы";
// The authors are a group of teachers; the book named in the credit is their own workbook.
constexpr const char *kAuthor = "Творческая группа учителей";
constexpr const char *kPosition = "Учителя информатики нашей школы";
constexpr const char *kCredit =
    "Упражнение по задаче из сборника «Первые шаги за компьютером» той же группы";

} // namespace

Form2::Form2(Program &) : Form(form2Layout()) {}

void Form2::formLoad()
{
    // The heading and the author's name on two lines of one label.
    Label1->setCaption(QString::fromUtf8(kHeading) + QStringLiteral("\r\n") +
                       QString::fromUtf8(kAuthor));
    Label2->setCaption(QString::fromUtf8(kPosition));
    Label3->setCaption(QString::fromUtf8(kCredit));
}
