-- The database track's fixture: built into the test DSNs' databases by
-- scripts/setup-prefix.sh.

-- One column of every type the SQLite ODBC driver maps.
CREATE TABLE alltypes(
  id INTEGER PRIMARY KEY,
  c_char CHAR(10),
  c_varchar VARCHAR(40),
  c_text TEXT,
  c_smallint SMALLINT,
  c_integer INTEGER,
  c_bigint BIGINT,
  c_tinyint TINYINT,
  c_bit BIT,
  c_real REAL,
  c_float FLOAT,
  c_double DOUBLE,
  c_numeric NUMERIC(12,3),
  c_decimal DECIMAL(18,4),
  c_date DATE,
  c_time TIME,
  c_timestamp TIMESTAMP,
  c_blob BLOB,
  c_varbinary VARBINARY(16));
INSERT INTO alltypes VALUES(1, 'fixed', 'variable', 'some text', 12, 123456, 9876543210,
  7, 1, 1.5, 2.25, 3.125, 12345.678, 98765432.1234, '1999-07-04', '12:30:15',
  '1999-07-04 12:30:15.250', x'00FF10', x'DEADBEEF');
INSERT INTO alltypes(id) VALUES(2);

-- A few hundred rows with a primary key.
CREATE TABLE numbered(id INTEGER PRIMARY KEY, label VARCHAR(20), amount NUMERIC(10,2));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO numbered SELECT i, 'row ' || i, i * 1.25 FROM n;

-- A table without any key.
CREATE TABLE unkeyed(name VARCHAR(20), qty INTEGER);
INSERT INTO unkeyed VALUES('apple', 3), ('pear', 5), ('apple', 3), ('plum', NULL);

-- A text longer than 64 KB (100000 characters).
CREATE TABLE longtext(id INTEGER PRIMARY KEY, body TEXT);
INSERT INTO longtext VALUES(1, replace(hex(zeroblob(50000)), '00', 'ab'));

-- Two tables to join.
CREATE TABLE customers(cust_id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(30));
CREATE TABLE orders(order_id INTEGER PRIMARY KEY, cust_id INTEGER REFERENCES customers,
  item VARCHAR(30), total NUMERIC(10,2));
INSERT INTO customers VALUES(1, 'Avery', 'Leeds'), (2, 'Blake', 'York'), (3, 'Casey', 'Bath');
INSERT INTO orders VALUES(10, 1, 'lamp', 25.00), (11, 1, 'desk', 120.50),
  (12, 2, 'chair', 45.99), (13, 4, 'orphan', 1.00);

-- Long values read whole and in pieces: 1000 bytes, NULL, a short text, and a text
-- longer than 64 KB (70000 characters), each of a repeated pattern.
CREATE TABLE memos(id INTEGER PRIMARY KEY, body TEXT);
INSERT INTO memos VALUES(1, substr(replace(hex(zeroblob(500)), '00', '0123456789'), 1, 1000)),
  (2, NULL), (3, 'a short memo'),
  (4, substr(replace(hex(zeroblob(7000)), '00', 'abcdefghij'), 1, 70000));

-- A thousand rows with a number to add up.
CREATE TABLE thousand(id INTEGER PRIMARY KEY, amount INTEGER);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO thousand SELECT i, (i * 37) % 101 FROM n;
