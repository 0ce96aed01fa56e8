/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

ALTER TABLE T ADD E INTEGER;

ALTER TABLE T ADD F VARCHAR(5);

ALTER TABLE T ADD C BIGINT COMPUTED BY (A + 1);

/* Drop table-fields... */
ALTER TABLE T DROP B;


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
P)
 AS 
SELECT POSITION('a' IN F) FROM T
;


/* Create Exception... */
CREATE EXCEPTION E2 'c';


/* Alter Exception... */
ALTER EXCEPTION E1 'b';


ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN A POSITION 2;

ALTER TABLE T ALTER COLUMN C POSITION 3;

ALTER TABLE T ALTER COLUMN E POSITION 4;

ALTER TABLE T ALTER COLUMN F POSITION 5;

