#include "crc32.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace {

using Tables = std::array<std::array<quint32, 256>, 8>;

// Table k gives the checksum of a byte followed by k zero bytes.
constexpr Tables makeTables()
{
    Tables tables{};
    for (quint32 byte = 0; byte < 256; ++byte) {
        quint32 crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < tables.size(); ++k) {
        for (size_t byte = 0; byte < 256; ++byte)
            tables[k][byte] = (tables[k - 1][byte] >> 8) ^ tables[0][tables[k - 1][byte] & 0xff];
    }
    return tables;
}

constexpr Tables kTables = makeTables();

} // namespace

quint32 Crc32::of(std::string_view bytes, quint32 before)
{
    quint32 crc = ~before;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t left = bytes.size();
    while (left >= 8) {
        quint32 low = 0;
        quint32 high = 0;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + 4, 4);
        low = qFromLittleEndian(low) ^ crc;
        high = qFromLittleEndian(high);
        crc = kTables[7][low & 0xff] ^ kTables[6][(low >> 8) & 0xff] ^
              kTables[5][(low >> 16) & 0xff] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xff] ^
              kTables[2][(high >> 8) & 0xff] ^ kTables[1][(high >> 16) & 0xff] ^
              kTables[0][high >> 24];
        p += 8;
        left -= 8;
    }
    while (left-- > 0)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xff];
    return ~crc;
}
