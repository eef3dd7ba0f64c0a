-- The two roles of a company's site history on a PostgreSQL server. Run
-- once, by the database's owner, in the database the history lives in:
--   psql -d company -f history-roles.sql
-- Then give each person a login role in one of them, for example
--   CREATE ROLE ivanov LOGIN PASSWORD '...' IN ROLE quorvel_writer;
--   CREATE ROLE petrova LOGIN PASSWORD '...' IN ROLE quorvel_reader;

-- Technicians: record reads and dumps, rename and delete sites.
CREATE ROLE quorvel_writer NOLOGIN;
-- The office: list sites and show histories, change nothing.
CREATE ROLE quorvel_reader NOLOGIN;

-- The store's schema belongs to the writers' role: the first program to
-- use it makes the tables as that role, so that every writer may change
-- them.
CREATE SCHEMA quorvel AUTHORIZATION quorvel_writer;
GRANT USAGE ON SCHEMA quorvel TO quorvel_reader;
ALTER DEFAULT PRIVILEGES FOR ROLE quorvel_writer IN SCHEMA quorvel GRANT SELECT ON TABLES TO quorvel_reader;
