-- A large library for the benchmarks: 100 categories of 40 phrases each, every text a few
-- hundred bytes, with an apostrophe stored as the program stores it.
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 3999)
INSERT INTO phrase (category, code, content)
SELECT printf('Category %03d', i / 40),
       printf('shortcut %02d', i % 40),
       printf('Dear customer %d,', i) || CAST(X'0D0A0D0A' AS TEXT) || 'thank you for your '
           || 'message. We' || CAST(X'AC60' AS TEXT) || 've looked into it and '
           || replace(hex(zeroblob(40)), '00', 'will reply soon. ')
FROM n;
