#include "runtimeerror.h"

RuntimeError::RuntimeError(int number, const QString &description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{
}

RuntimeError RuntimeError::overflow()
{
    return {6, QStringLiteral("Переполнение")};
}

RuntimeError RuntimeError::noSuchControl(const QString &name)
{
    return {340, QStringLiteral("Элемент управления %1 не существует").arg(name)};
}
