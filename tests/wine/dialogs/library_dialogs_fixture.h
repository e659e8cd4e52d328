#pragma once

#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The running program in the test process, on a library of the test's own, with its library
// dialogs opened from the tray menu's Toolbox as a user opens them.
namespace brevicor::testing {

inline const std::string kEditor = "Parlivo";
inline const std::string kAddPhrase = "Add New Phrase";
inline const std::string kAddCategory = "Add Category";
inline const std::string kDeleteCategory = "Delete Category";
inline const std::string kAbout = "Brevicor";
inline const std::string kRestorePhrases = "Restore Phrases";
inline const std::string kShortcutTaken = "Shortcut Taken";

// Toolbox commands, counted up from "Exit", its last item.
enum class Toolbox {
    Settings = 1,
    RestorePhrases = 2,
    About = 3,
    EditPhrase = 4,
    AddPhrase = 5,
    DeleteCategory = 6,
    AddCategory = 7
};

// A library most tests start from: two categories with phrases (one shortcut used in both)
// and one category that holds only its placeholder row.
inline const std::vector<Row> kSampleRows = {
    {"Greetings", "hello", "Hello there"},
    {"Greetings", "bye", "See you"},
    {"Work", "hello", "Work hello"},
    {"Zed", "", ""},
};

class LibraryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program: the hidden main window, the tray icon, the lists loaded. A start-up
    // message about the library is answered, and its text kept in StartUpMessage.
    void Start();
    const std::string& StartUpMessage() const;
    // Chooses the command in the tray menu and runs the scenario while its dialog is open.
    void RunFromToolbox(Toolbox command, Scenario& scenario);
    // Makes the library file read-only, as a user's file attribute would; before Start.
    void MakeLibraryReadOnly();

private:
    bool m_started = false;
};

} // namespace brevicor::testing
