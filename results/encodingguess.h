#pragma once

#include <QString>
#include <QtGlobal>
#include <string_view>

class Cp1251;

// How a name of a results file is read.
enum class TextEncoding : quint8 { Cp1251, Utf8 };

// Works out how each name of a results file is read, from the name's own bytes and whether the
// file starts with a UTF-8 byte order mark, and from nothing else: neither the file's other
// lines nor the order in which it is read can change a name. The pupils' programs write
// Windows-1251; a line typed or made elsewhere may be UTF-8, even in the same file. A name is
// UTF-8 when its bytes are valid UTF-8 and hold a letter beyond ASCII, or, in a file marked as
// UTF-8, when they are valid UTF-8 at all; anything else is Windows-1251 (ASCII reads alike in
// both). A Windows-1251 name is almost never valid UTF-8: its second letter breaks the sequence
// the first one starts.
namespace EncodingGuess {

inline constexpr std::string_view kByteOrderMark{"\xEF\xBB\xBF", 3};

bool isAscii(std::string_view bytes);
// Valid UTF-8 to its end; with `cut` (the bytes are the start of a longer text), also when a
// sequence is cut short at the end.
bool isUtf8(std::string_view bytes, bool cut = false);
// How the bytes of a name, or the start of one where `cut`, are read.
TextEncoding of(std::string_view bytes, bool marked, bool cut = false);
// A name's bytes as text, every control character shown as a space. The start of a longer name
// (`cut`) ends with its last whole letter and «…».
QString text(TextEncoding encoding, Cp1251 &codePage, std::string_view bytes, bool cut = false);

} // namespace EncodingGuess

// The encodings the names beyond ASCII of a file were read in; a byte order mark counts as
// UTF-8.
struct FileEncodings
{
    bool cp1251 = false;
    bool utf8 = false;

    void add(TextEncoding encoding) { (encoding == TextEncoding::Utf8 ? utf8 : cp1251) = true; }
    FileEncodings operator|(const FileEncodings &other) const
    {
        return {cp1251 || other.cp1251, utf8 || other.utf8};
    }
    bool operator==(const FileEncodings &) const = default;
};
