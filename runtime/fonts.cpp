#include "fonts.h"

#include <QFont>
#include <QString>

namespace {
struct Substitution
{
    const char *face;
    const char *installed;
};

constexpr Substitution kSubstitutions[] = {
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Monotype Corsiva", "Z003"},
    {"Comic Sans MS", "Andika"},
};
} // namespace

void installFontSubstitutions()
{
    for (const Substitution &s : kSubstitutions)
        QFont::insertSubstitution(QString::fromLatin1(s.face), QString::fromLatin1(s.installed));
}
