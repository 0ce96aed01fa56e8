/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

DROP VIEW V2;

DROP VIEW V1;

SET TERM ^ ;

CREATE FUNCTION F(A INTEGER)
 RETURNS INTEGER
 AS
 BEGIN RETURN NULL; END
^

/* Alter Domain: D - Check(...) */
SET TERM ; ^

ALTER DOMAIN D DROP CONSTRAINT;

ALTER DOMAIN D ADD CHECK(F(VALUE) > 0);

ALTER TABLE T ADD C INTEGER COMPUTED BY (F(A));

/* Create Procedure... */
SET TERM ^ ;

CREATE PROCEDURE P RETURNS(R INTEGER)
 AS
 BEGIN SUSPEND; END
^


/* Create Views... */
/* Create view: V1 (ViwData.CreateDependDef) */
SET TERM ; ^

CREATE VIEW V1(
A,
R)
 AS 
SELECT A, (SELECT R FROM P) FROM T
;

/* Create view: V2 (ViwData.CreateDependDef) */
CREATE VIEW V2(
A,
R)
 AS 
SELECT A, R FROM V1
;


/* Create index... */
CREATE INDEX IX_T ON T COMPUTED BY(F(A));


/* Create Check... */
ALTER TABLE T ADD CONSTRAINT CK_T CHECK(F(A) >= 0);

/* Alter Procedure... */
/* Restore proc. body: F */
SET TERM ^ ;

ALTER FUNCTION F(A INTEGER)
 RETURNS INTEGER
 AS
BEGIN RETURN A; END
^

/* Restore proc. body: P */
ALTER PROCEDURE P RETURNS(R INTEGER)
 AS
BEGIN R = 1; SUSPEND; END
^

/* Alter Procedure... */
SET TERM ; ^

ALTER TABLE T ALTER COLUMN A POSITION 1;

ALTER TABLE T ALTER COLUMN B POSITION 2;

ALTER TABLE T ALTER COLUMN C POSITION 3;

