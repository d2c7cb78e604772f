#pragma once

#include <stdexcept>

// A failure of reading res.txt or of filling the stored rows from it. "Результаты" catches it
// silently and shows only the current user's row.
class ResultsFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
