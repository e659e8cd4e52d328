-- The phrase library: one table.
--
-- Text is Windows-1252, stored as raw bytes in TEXT values (never transcoded).
-- COLLATE NOCASE: every SQLite tool compares these columns ignoring ASCII case; the
-- Brevicor driver replaces NOCASE on its own connections with a rule that also folds accented
-- Windows-1252 letters (é = É). An index on a text column follows whichever rule was active
-- when it was written, so the driver makes the one it needs itself, on category, with
-- triggers that refuse writes to that column from connections without its rule.
-- The length limits count bytes and are named "<column>_max_<n>_bytes": the driver reports a
-- violation as SQLSTATE 22001 (string data, right truncated); other tools refuse it too.
-- PhraseID is an AutoNumber: AUTOINCREMENT never hands out a deleted value again.
CREATE TABLE phrase (
    PhraseID INTEGER PRIMARY KEY AUTOINCREMENT,
    category VARCHAR(255) COLLATE NOCASE
        CONSTRAINT category_max_255_bytes CHECK (length(CAST(category AS BLOB)) <= 255),
    code VARCHAR(255) COLLATE NOCASE
        CONSTRAINT code_max_255_bytes CHECK (length(CAST(code AS BLOB)) <= 255),
    content LONGTEXT COLLATE NOCASE
);
