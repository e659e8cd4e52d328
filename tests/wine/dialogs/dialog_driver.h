#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Drives the program's dialogs as a user would while their modal loops run: a scenario is a
// list of steps, each retried on every tick of a thread timer until it is done. Steps only post
// input (clicks, keys, notifications), so every dialog and message box runs in its own loop.
namespace brevicor::testing {

using Step = std::function<bool()>;

class Scenario {
public:
    Scenario& Then(Step step);
    // Runs the trigger (which opens the first dialog) with the steps running meanwhile.
    void Run(const std::function<void()>& trigger);
    // Every step ran, within the time limit.
    bool Completed() const { return m_next == m_steps.size() && !m_timedOut; }
    size_t StepsDone() const { return m_next; }

private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_timedOut = false;
};

// A message box as the user saw it.
struct BoxSeen {
    bool shown = false;
    std::string text;
    UINT icon = 0;    // MB_ICONWARNING, MB_ICONINFORMATION, MB_ICONQUESTION; 0: none found
    UINT buttons = 0; // MB_OK or MB_YESNO
};

// Waits for the visible, enabled dialog with this caption (enabled: no message box is over it)
// and acts on it once.
Step OnDialog(const std::string& caption, std::function<void(HWND)> act);

// Waits for the application's message box, records it and presses one of its buttons.
Step AnswerBox(BoxSeen& seen, int button);

// The visible top-level dialog of this thread with this caption, or null.
HWND FindDialog(const std::string& caption);

// Control input and state, as the controls themselves send and show it.
void Click(HWND dialog, int id);                         // a click on a push button
void Type(HWND dialog, int id, const std::string& text); // replaces the control's text
void Choose(HWND dialog, int comboId, int index);        // a choice in a combo box's list
void PressEnterIn(HWND dialog, int id);                  // Enter with the focus in the control
std::string Text(HWND dialog, int id);
std::vector<std::string> Items(HWND dialog, int comboId);
std::string Selected(HWND dialog, int comboId);

// One row of the library, read through a connection of the test's own.
struct Row {
    std::string category;
    std::string code;
    std::string content;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& row, std::ostream* out);

// Every row of database/phrases.mdb in PhraseID order.
std::vector<Row> LibraryRows();
// Appends the rows, in order, to database/phrases.mdb.
void InsertRows(const std::vector<Row>& rows);

// Another program holding the library: a connection of its own with an exclusive transaction
// open, for as long as the object lives.
struct LibraryConnection;

class LibraryLock {
public:
    LibraryLock();
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;
    bool Held() const { return m_held; }

private:
    std::unique_ptr<LibraryConnection> m_connection;
    bool m_held = false;
};

} // namespace brevicor::testing
