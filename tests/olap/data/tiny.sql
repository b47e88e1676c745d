-- Hand-computed answers in OlapCubeTest.cpp rest on these rows.
CREATE TABLE period(time_id INTEGER, year INTEGER, quarter TEXT);
INSERT INTO period VALUES (1, 2023, 'Q1'), (2, 2023, 'Q2'), (3, 2024, 'Q1'), (4, 2024, 'Q2');
CREATE TABLE product(product_id INTEGER, name TEXT, category TEXT, colour TEXT, weight REAL);
INSERT INTO product VALUES (1, 'Apple', 'Fruit', 'Red', 0.2), (2, 'Pear', 'Fruit', 'Green', 0.18),
  (3, 'Milk', 'Dairy', 'White', 1), (4, 'Cheese', 'Dairy', 'Yellow', 0.25), (5, 'Nuts [Salted]', 'Snacks', NULL, 0.125);
CREATE TABLE facts(time_id INTEGER, product_id INTEGER, channel TEXT, qty INTEGER, price REAL, cust INTEGER);
INSERT INTO facts VALUES
  (1, 1, 'Web', 2, 1.50, 10),
  (1, 2, 'Shop', 1, 2.25, 11),
  (1, 1, 'Shop', 3, NULL, 10),
  (2, 3, 'Web', 5, 0.99, 12),
  (3, 1, 'Web', 1, 1.50, 11),
  (3, 3, 'Shop', 4, 1.10, 10),
  (4, 2, 'Web', 2, 2.25, 13),
  (4, 1, 'Web', 6, 1.40, 10);
