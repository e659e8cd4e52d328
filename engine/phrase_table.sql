CREATE TABLE phrase (PhraseID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, category TEXT(255), code TEXT(255), content MEMO)
