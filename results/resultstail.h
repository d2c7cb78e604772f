#pragma once

#include "resultlist.h"

#include <QtGlobal>
#include <optional>

// The newest records of a results file too large to read whole while a pupil waits for
// "Результаты" (a gigabyte takes seconds): read from the last line start before the end that
// shows itself to be a record's start, the results table's nine newest rows come at once.
//
// The place is the first line start in the last `window` bytes, and it is taken for a record's
// start only when the record there is one line laid out as the program writes it (see
// ResultsParser::parseFromLineStart): in a file the program wrote, every record is. From there
// the file is read as a whole read would read it; a damaged record there means no stored rows,
// while one before it goes unseen. Where the window holds fewer than nine records, it is made
// larger; where the place proves nothing, or the window grows to half the file, the file is to
// be read whole.
namespace ResultsTail {

// Files from this size on are read from near their end: a whole read of one takes about a
// twentieth of a second.
inline constexpr qint64 kFrom = qint64(16) << 20;
inline constexpr qint64 kWindow = qint64(64) << 10;

// The newest records of the open file `fd` of `size` bytes, with at least the nine the results
// table shows; nothing when the file is to be read whole. Throws ResultsFailure when the part
// read cannot be read or holds a damaged record.
std::optional<ResultList> read(int fd, qint64 size, qint64 window = kWindow);

} // namespace ResultsTail
