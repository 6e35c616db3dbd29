-- The test database of the PostgreSQL data source "OrvanelPostgres": loaded by the test
-- session (scripts/session.sh) into a fresh database each time the server starts.

-- One column of each kind the PostgreSQL ODBC driver maps.
CREATE TABLE alltypes(
  id INTEGER PRIMARY KEY,
  c_char CHAR(10),
  c_varchar VARCHAR(40),
  c_text TEXT,
  c_smallint SMALLINT,
  c_integer INTEGER,
  c_bigint BIGINT,
  c_bool BOOLEAN,
  c_real REAL,
  c_double DOUBLE PRECISION,
  c_numeric NUMERIC(12,3),
  c_decimal DECIMAL(18,4),
  c_date DATE,
  c_time TIME,
  c_timestamp TIMESTAMP(3),
  c_bytea BYTEA);
INSERT INTO alltypes VALUES(1, 'fixed', 'variable', 'some text', 12, 123456, 9876543210,
  TRUE, 1.5, 3.125, 12345.678, 98765432.1234, '1999-07-04', '12:30:15',
  '1999-07-04 12:30:15.250', '\x00ff10');
INSERT INTO alltypes(id) VALUES(2);

-- A few hundred rows with a primary key.
CREATE TABLE numbered(id INTEGER PRIMARY KEY, label VARCHAR(20), amount NUMERIC(10,2));
INSERT INTO numbered SELECT i, 'row ' || i, i * 1.25 FROM generate_series(1, 300) AS i;

-- A table without any key.
CREATE TABLE unkeyed(name VARCHAR(20), qty INTEGER);
INSERT INTO unkeyed VALUES('apple', 3), ('pear', 5), ('apple', 3), ('plum', NULL);
