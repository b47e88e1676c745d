-- The pivot shapes of pivot_shapes_bench.cpp as SQL over the sample's star schema (DuckDB).
-- Time has no All member: a query without Time counts the first year (2022) only.
-- name: quarter_category
SELECT t.the_year, t.quarter, p.category, SUM(s.unit_sales), SUM(s.store_sales)
FROM sales s JOIN time_dim t USING (time_id) JOIN product p USING (product_id) JOIN store st USING (store_id)
WHERE st.country = 'USA' GROUP BY 1, 2, 3;
-- name: month_product
SELECT t.the_year, t.month_of_year, s.product_id, SUM(s.unit_sales), SUM(s.store_sales), SUM(s.store_cost)
FROM sales s JOIN time_dim t USING (time_id) GROUP BY 1, 2, 3;
-- name: rollup
SELECT st.country, p.category, t.the_year, SUM(s.unit_sales), SUM(s.store_sales), SUM(s.store_cost)
FROM sales s JOIN time_dim t USING (time_id) JOIN product p USING (product_id) JOIN store st USING (store_id)
GROUP BY GROUPING SETS ((st.country, p.category, t.the_year), (st.country, t.the_year), (p.category, t.the_year), (t.the_year));
-- name: distinct_customers
SELECT p.category, COUNT(DISTINCT s.customer_id)
FROM sales s JOIN time_dim t USING (time_id) JOIN product p USING (product_id)
WHERE t.the_year = 2022 GROUP BY 1;
-- name: drillthrough
SELECT t.the_year, t.quarter, t.month_name, p.category, p.subcategory, p.product_name, st.country, st.city,
  st.store_name, c.gender, s.unit_sales, s.store_sales, s.store_cost, s.product_id, s.customer_id
FROM sales s JOIN time_dim t USING (time_id) JOIN product p USING (product_id) JOIN store st USING (store_id)
  JOIN customer c USING (customer_id)
WHERE t.the_year = 2024 AND t.quarter = 'Q1' LIMIT 5000;
-- name: store_product_month
SELECT s.store_id, s.product_id, t.the_year, t.month_of_year, SUM(s.unit_sales)
FROM sales s JOIN time_dim t USING (time_id) GROUP BY 1, 2, 3, 4;
