#pragma once

#include <QString>
#include <QtGlobal>
#include <string_view>

class Cp1251;

// How a results file's names are read.
enum class TextEncoding : quint8 { Cp1251, Utf8 };

// Works out a results file's encoding from its bytes as they are read from its start. The
// pupils' programs write Windows-1251; a file edited or made elsewhere may be UTF-8. While every
// byte read is ASCII, both read alike and nothing is decided. The first read that brings other
// bytes decides: UTF-8 if everything read so far is valid UTF-8 (a sequence cut at the end
// allowed) and holds letters beyond ASCII, else Windows-1251. A Windows-1251 name is almost
// never valid UTF-8: its second letter breaks the sequence the first one starts.
class EncodingGuess
{
public:
    static constexpr std::string_view kByteOrderMark{"\xEF\xBB\xBF", 3};

    bool decided() const { return m_decided; }
    TextEncoding encoding() const { return m_encoding; }
    void decide(TextEncoding encoding);
    // Nothing is decided any more: the file starts over.
    void reset() { *this = EncodingGuess(); }
    // Reading goes back to an earlier place: a sequence cut at the end of the last bytes fed
    // comes again.
    void rewind() { m_sequence = {}; }
    // The next bytes read, unless the encoding is decided.
    void feed(const char *bytes, qint64 size);

    static bool isUtf8(std::string_view bytes);
    // A name's bytes as text, every control character shown as a space. In a UTF-8 file a name
    // that is not valid UTF-8 is read as Windows-1251, as a line that a pupils' program added.
    static QString text(TextEncoding encoding, Cp1251 &codePage, std::string_view bytes);

private:
    // The UTF-8 sequence under way.
    struct Sequence
    {
        int missing = 0; // continuation bytes still to come
        char32_t code = 0;
        uchar low = 0x80; // the range the next continuation byte must be in
        uchar high = 0xBF;
    };
    enum class Step { Ascii, Going, Complete, Invalid };
    static Step step(Sequence &sequence, uchar byte);

    TextEncoding m_encoding = TextEncoding::Cp1251;
    bool m_decided = false;
    Sequence m_sequence;
};
