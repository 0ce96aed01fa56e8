/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

DROP VIEW V;

ALTER TABLE T ALTER COLUMN NAME TYPE VARCHAR(40);

/* Drop table-fields... */
/* Empty P for drop T(A) */
SET TERM ^ ;

ALTER PROCEDURE P RETURNS(R INTEGER)
 AS
 BEGIN SUSPEND; END
^

SET TERM ; ^

ALTER TABLE T DROP A;


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
NAME)
 AS 
SELECT ID, NAME FROM T
;


/* Alter index (Drop, Create)... */
ALTER INDEX IX_B INACTIVE;


/* Alter Procedure... */
/* Alter (P) */
SET TERM ^ ;

ALTER PROCEDURE P RETURNS(R INTEGER)
 AS
BEGIN FOR SELECT B FROM T INTO :R DO SUSPEND; END
^

SET TERM ; ^

ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN NAME POSITION 2;

ALTER TABLE T ALTER COLUMN B POSITION 3;

