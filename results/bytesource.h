#pragma once

#include <QtGlobal>

// Where the results reader takes its bytes from: an open file, or memory in tests and fuzzing.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads up to `capacity` bytes; returns how many, 0 at the end, -1 on an error.
    virtual qint64 read(char *buffer, qint64 capacity) = 0;
};
