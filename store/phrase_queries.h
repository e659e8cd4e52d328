#pragma once

#include "store/list_controls.h"

#include <string>

// Every statement on the phrase table that reads one value or changes rows. Values are placed
// into the statement text between single quotes, with their own quotes doubled.
//
// Deletes and overwrites keep the rows as they were in the phrase history (store/phrase_history.h).
//
// Reads never report failure: a missing library, a rejected statement or no matching row all
// read as 0 or as an empty text. Writes say whether their statement ran, so that the dialogs
// can tell the user when nothing was stored.
namespace brevicor {

inline constexpr int kPhraseCommandOffset = 40000;

// Outcome of a write. `stored` is false when the statement could not run or the driver refused
// it; `message` then holds the driver's reason.
struct WriteResult {
    bool stored = false;
    std::string message;
};

struct DeleteResult {
    WriteResult write;
    int rowsLeft = 0; // rows left in the whole table afterwards
};

// Inserts a phrase into the category selected in the combo box. Apostrophes in the content are
// stored as the marker pair, as every stored library has them.
WriteResult AddPhrase(const ComboBoxControl& categoryCombo, const std::string& code,
                      const std::string& content);

// Writes the content, unchanged, into every row whose code is the one selected in the box,
// whatever its category. The editor uses UpdatePhraseContentInCategory instead.
WriteResult UpdatePhraseContent(const ComboBoxControl& codeCombo, const std::string& content);

// Writes the content into the one phrase with this category and code.
WriteResult UpdatePhraseContentInCategory(const std::string& category, const std::string& code,
                                          const std::string& content);

// Deletes the rows with this category and code, then counts the rows left.
DeleteResult DeletePhrase(const std::string& category, const std::string& code);

// Inserts the placeholder row (empty code and content) that makes an empty category exist.
WriteResult AddCategory(const std::string& name);

// Deletes every row of the category: its phrases and its placeholder row alike.
WriteResult DeleteCategory(const std::string& name);

int CountPhrases();
int CountPhrasesInCategory(const std::string& category);

// The content of the first row with this code, whatever its category.
std::string GetContentByCode(const std::string& code);

// The content of the phrase with this category and code.
std::string GetContentByCategoryAndCode(const std::string& category, const std::string& code);

// The content of the phrase with this PhraseID; empty when there is none.
std::string GetContentByPhraseId(int phraseId);

// The content of the phrase a tray-menu identifier names (PhraseID + 40000).
std::string GetContentForCommand(int commandId);

// "Shortcut " followed by one more than the number of rows; empty when the count can't be read.
std::string NextShortcutName();

// Runs a statement, fetches its first row and returns column 1 when the row came and the text
// is not empty. Further rows are not fetched.
std::string ReadFirstValue(const std::string& statement);

} // namespace brevicor
