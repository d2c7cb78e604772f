#pragma once

#include <QtGlobal>
#include <string_view>

// CRC-32 as zip files and PNG pictures use it (the reflected polynomial 0xEDB88320): the
// checksum of a record in the dates file. Eight bytes a step, by a table for each.
namespace Crc32 {

// The checksum of `bytes`; given the checksum of what came before, that of both together.
quint32 of(std::string_view bytes, quint32 before = 0);

} // namespace Crc32
