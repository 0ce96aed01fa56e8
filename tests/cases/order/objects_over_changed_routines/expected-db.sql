/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

ALTER TABLE T DROP CONSTRAINT CK_T;

DROP VIEW V;

/* Alter empty procedure F with new param-list */
SET TERM ^ ;

ALTER FUNCTION F(A INTEGER,
B INTEGER)
 RETURNS INTEGER
 AS
 BEGIN RETURN NULL; END
^

/* Alter Domain: D - Check(...) */
SET TERM ; ^

ALTER DOMAIN D DROP CONSTRAINT;

ALTER DOMAIN D ADD CHECK(F(VALUE, 1) > 0);

/* Create Table... */
CREATE TABLE T2(A INTEGER);


ALTER TABLE T2 ADD C INTEGER COMPUTED BY (F(A, 3));


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
X)
 AS 
SELECT F(A, 1) FROM T
;


/* Alter View (Drop, Create)... */
/* Drop altered view: VP */
DROP VIEW VP;

/* Create altered view: VP */
/* Alter empty procedure P with new param-list */
SET TERM ^ ;

ALTER PROCEDURE P(A INTEGER)
 RETURNS(R2 INTEGER)
 AS
 BEGIN SUSPEND; END
^

/* Create view: VP (ViwData.CreateDependDef) */
SET TERM ; ^

CREATE VIEW VP(
R2)
 AS 
SELECT R2 FROM P(1)
;

/* Alter index (Drop, Create)... */
CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

/* Drop: IX_T (TIdxData) */
DROP INDEX IX_T;

CREATE INDEX IX_T ON T COMPUTED BY(F(A, 1));


/* Create Check... */
ALTER TABLE T ADD CONSTRAINT CK_T CHECK(F(A, 1) > 0);

/* Alter Procedure... */
/* Alter (F) */
SET TERM ^ ;

ALTER FUNCTION F(A INTEGER,
B INTEGER)
 RETURNS INTEGER
 AS
BEGIN RETURN A + B; END
^

/* Alter (P) */
ALTER PROCEDURE P(A INTEGER)
 RETURNS(R2 INTEGER)
 AS
BEGIN R2 = A; SUSPEND; END
^

SET TERM ; ^

ALTER TABLE T2 ALTER COLUMN A POSITION 1;

ALTER TABLE T2 ALTER COLUMN C POSITION 2;

