#pragma once

// windows/: the pupils' windows on the form runtime: the course window (course/), the two games
// (games/), the rules and About windows (info/), the results table (resultstable/), and this
// registry that makes them. Nothing here includes app/; the games tell the course their scores
// through the course state they are given.

#include "resultsfile.h"

#include <memory>

class DD;
class FRes;
class Form1;
class Form2;
class Form3;
class Form4;

// The program's windows: one object per window class, made the first time it is needed and
// kept for the whole run.
class Program
{
public:
    // `resultsFile` is where the results table reads and appends: res.txt in the working
    // directory unless the command line named another file.
    explicit Program(ResultsFile resultsFile = ResultsFile());
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Makes the program's pictures available and gives every window its icon; a program object
    // does it when made.
    static void loadPictures();

    // Loads the course window (its load handler asks the name first) and shows it.
    void start();

    Form1 &form1();
    Form2 &form2();
    Form3 &form3();
    Form4 &form4();
    DD &dd();
    FRes &fres();
    const ResultsFile &resultsFile() const { return m_resultsFile; }

private:
    const ResultsFile m_resultsFile;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
    std::unique_ptr<DD> m_dd;
    std::unique_ptr<FRes> m_fres;
};
