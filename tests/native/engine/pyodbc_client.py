"""The engine as Python's pyodbc uses it, with pyodbc's default settings.

Run by ctest with the library file as the only argument; exits 77 (skipped) when pyodbc is not
installed.
"""
import sys
import threading

try:
    import pyodbc
except ImportError:
    sys.exit(77)

CONNECTION = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + sys.argv[1]
failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def rows(cur, sql, *params):
    return [tuple(r) for r in cur.execute(sql, *params).fetchall()]


cnxn = pyodbc.connect(CONNECTION)  # autocommit off: pyodbc's default
cur = cnxn.cursor()

# Accented literals arrive as Windows-1252 text and read back as written.
cur.execute("INSERT INTO phrase (category, code, content) VALUES ('Café', 'ça', 'Ça coûte 5 €')")
cnxn.commit()
check("literal round trip", rows(cur, "SELECT category, content FROM phrase WHERE code = 'ÇA'"),
      [("Café", "Ça coûte 5 €")])
check("stored bytes", rows(cur, "SELECT hex(content) FROM phrase"),
      [("C76120636FFB746520352080",)])
try:
    cur.execute("UPDATE phrase SET content = '日本'")
    failures.append("text Windows-1252 cannot hold was accepted")
except pyodbc.Error as e:
    check("unrepresentable text", e.args[0], "22018")
cnxn.rollback()

# fast_executemany: every row is stored.
cur.fast_executemany = True
cur.executemany("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)",
                [("bulk", "k1", "one"), ("bulk", "k2", "två"), ("bulk", "k3", "three")])
cnxn.commit()
check("fast_executemany", rows(cur, "SELECT code, content FROM phrase WHERE category = 'BULK' "
                                    "ORDER BY code"),
      [("k1", "one"), ("k2", "två"), ("k3", "three")])
cur.fast_executemany = False

# Rollback undoes, LIKE keeps accents apart, big numbers arrive whole.
cur.execute("DELETE FROM phrase")
cnxn.rollback()
check("rollback", rows(cur, "SELECT COUNT(*) FROM phrase"), [(4,)])
check("like", rows(cur, "SELECT code FROM phrase WHERE category LIKE 'CAFÉ'"), [("ça",)])
check("like accent", rows(cur, "SELECT code FROM phrase WHERE category LIKE 'cafè'"), [])
check("bigint", rows(cur, "SELECT 2147483648, SUM(PhraseID) * 1000000000 FROM phrase"),
      [(2147483648, 10000000000)])

# A query timeout stops an endless statement.
cnxn.timeout = 1  # applies to cursors made from now on
try:
    cnxn.cursor().execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                "SELECT COUNT(*) FROM n")
    failures.append("endless query returned")
except pyodbc.Error as e:
    check("timeout", e.args[0], "HYT00")
cnxn.timeout = 0
cnxn.close()


# Threads, each with its own connection.
def worker(errors):
    try:
        for _ in range(30):
            c = pyodbc.connect(CONNECTION, autocommit=True)
            for _ in range(3):
                c.cursor().execute("SELECT COUNT(*) FROM phrase").fetchone()
            c.close()
    except pyodbc.Error as e:  # pragma: no cover - reported below
        errors.append(str(e))


thread_errors = []
threads = [threading.Thread(target=worker, args=(thread_errors,)) for _ in range(4)]
for t in threads:
    t.start()
for t in threads:
    t.join()
check("threads", thread_errors, [])

for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
