#pragma once

class QLocale;
class QTranslator;

// Qt's own texts (the standard dialogs' labels and buttons, the context menu of a text field,
// a dock's buttons) in the user's language, from the translations Qt is installed with.
namespace QtTranslation {

// Installs them into the application for `locale`'s languages; the translator, owned by the
// application, or null when Qt has none for that language (its texts then stay in English).
QTranslator *install(const QLocale &locale);

} // namespace QtTranslation
