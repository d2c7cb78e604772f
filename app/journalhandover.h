#pragma once

// `mouse-tutor --journal` hands over to the journal's own program, so that the course never
// loads the libraries only the journal needs (charts, printing). The journal's program is
// installed in the package's private folder; in the build folder it stands beside the course's.
namespace JournalHandover {

// Replaces this process with the journal's program, given `argv` as it is, so that the exit
// status and what it writes are the journal's own. Returns only when that failed, with exit
// status 1, after saying why on standard error.
int exec(char *argv[]);

} // namespace JournalHandover
