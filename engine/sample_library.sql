-- A small sample library. Text is Windows-1252; this file stays plain ASCII, so other bytes
-- are written as CAST(X'..' AS TEXT):
--   X'AC60'  how the program stores an apostrophe typed in a phrase
--   X'0D0A'  a line break as typed in a Windows edit box
--   X'E9'    e acute,  X'80' euro sign,  X'FC' u umlaut
INSERT INTO phrase (category, code, content) VALUES
    ('Greetings', 'hi', 'Hello,' || CAST(X'0D0A0D0A' AS TEXT)),
    ('Greetings', 'dear', 'Dear Sir or Madam,' || CAST(X'0D0A0D0A' AS TEXT)),
    ('Greetings', 'morning', 'Good morning! I hope you' || CAST(X'AC60' AS TEXT) || 're well.'),
    ('Greetings', 'bonjour', 'Bonjour, j' || CAST(X'AC60' AS TEXT) || 'esp' || CAST(X'E8' AS TEXT)
        || 're que vous allez bien.'),
    ('Sign-offs', 'regards', CAST(X'0D0A' AS TEXT) || 'Kind regards,' || CAST(X'0D0A' AS TEXT)
        || 'Ren' || CAST(X'E9' AS TEXT)),
    ('Sign-offs', 'thanks', 'Thanks again, and don' || CAST(X'AC60' AS TEXT) || 't hesitate to ask.'
        || CAST(X'0D0A' AS TEXT) || 'Best,'),
    ('Sign-offs', 'gruss', 'Mit freundlichen Gr' || CAST(X'FCDF' AS TEXT) || 'en'),
    ('Addresses', 'office', 'Brevicor Ltd' || CAST(X'0D0A' AS TEXT) || '12 Mill Lane'
        || CAST(X'0D0A' AS TEXT) || 'Bristol BS1 4AB'),
    ('Addresses', 'paris', '5 rue de l' || CAST(X'AC60' AS TEXT) || CAST(X'C9' AS TEXT) || 'glise'
        || CAST(X'0D0A' AS TEXT) || '75004 Paris'),
    ('Replies', 'invoice', 'Your invoice of ' || CAST(X'80' AS TEXT) || ' 120.50 was paid today.'),
    ('Replies', 'received', 'We' || CAST(X'AC60' AS TEXT) || 've received your message and will '
        || 'reply within two working days.'),
    (CAST(X'C9' AS TEXT) || 'tudes', 'caf' || CAST(X'E9' AS TEXT), 'Rendez-vous au caf'
        || CAST(X'E9' AS TEXT) || ' ' || CAST(X'E0' AS TEXT) || ' 10 h.');
