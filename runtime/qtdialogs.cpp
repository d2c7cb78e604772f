#include "qtdialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {
const QString kOkText = QStringLiteral("ОК");
const QString kCancelText = QStringLiteral("Отмена");
} // namespace

int QtDialogs::messageBox(const QString &prompt, int style, const QString &title)
{
    const bool withCancel = (style & 0x0F) == 1;
    const int iconBits = style & 0xF0;
    QMessageBox box;
    box.setWindowTitle(title);
    // Every text is the program's own or holds a name or a path as typed: never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setIcon(iconBits == BoxStyle::ErrorOk     ? QMessageBox::Critical
                : iconBits == BoxStyle::WarningOk ? QMessageBox::Warning
                                                  : QMessageBox::NoIcon);
    QPushButton *ok = box.addButton(kOkText, QMessageBox::AcceptRole);
    QPushButton *cancel =
        withCancel ? box.addButton(kCancelText, QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok || !cancel ? BoxAnswer::Ok : BoxAnswer::Cancel;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    // Typing or pasting stops at the limit, where the user sees it.
    if (auto *field = dialog.findChild<QLineEdit *>())
        field->setMaxLength(kMaxInputLength);
    dialog.setOkButtonText(kOkText);
    dialog.setCancelButtonText(kCancelText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}
