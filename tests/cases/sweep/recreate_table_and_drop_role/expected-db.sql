/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

ALTER TABLE T DROP CONSTRAINT INTEG_2;

ALTER TABLE T ADD B INTEGER;

ALTER TABLE T ALTER COLUMN ID TYPE BIGINT;

/* Drop table-fields... */
ALTER TABLE T DROP A;


/* Create Primary Key... */
ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (ID);

ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN B POSITION 2;

/* Creating roles */
/* Role: R2, Owner: SYSDBA */
CREATE ROLE R2;


/* Dropping roles */
DROP ROLE R1;


