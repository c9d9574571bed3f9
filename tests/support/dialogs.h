// Message boxes answered as they open, so that code under test which reports
// a failure to the user does not wait for a click.
#ifndef HALDER_TEST_DIALOGS_H
#define HALDER_TEST_DIALOGS_H

#include <windows.h>

#include <string>

// While it lives, every message box this thread opens is answered with OK;
// text() is the text of the boxes seen so far, cleared by clear().
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    bool installed() const { return hook != NULL; }
    const std::string& text() const;
    void clear();

private:
    HHOOK hook;
};

#endif
